// What every document a run writes must hold, whatever MIDI file it came from:
// the shape the tracker's import relies on. The conversion fuzzer aborts on a
// violation; the malformed-input tests check their documents with it too.
#pragma once

#include <set>
#include <string>

namespace tonvert::fuzz {

struct DocumentExpectations {
  int rowsPerPattern = 64;
  // Note texts of drum cells other than the usual note forms, as the drum
  // definitions wrote them.
  std::set<std::string> drumKeys;
};

// "" when the document holds; else the first violation, with its line number.
// Checked: CR LF line ends only; MACRO numbers 0-127 and unique within their
// type; INST2A03 numbers 00-3F, unique, naming only macros that exist; TRACK
// rows as expected, speed 1-20 and tempo 32-255; ORDER and PATTERN numbers
// 00, 01, ... with no frame past 7F, as many patterns as orders; every pattern
// exactly the rows per pattern, ROW numbers in order; seven cells a row with
// their column counts; notes "...", "---", octaves 0-7, noise pitches, or a
// drum key; instrument cells ".." or a written instrument 00-3F; effects V
// (decimal), 0xy and Fxx (hex: F with a speed 01-14 or a tempo 20-FF), at
// most one 0xy a cell, none on Noise or DPCM, and no note that starts while an
// earlier 0xy is still in force.
std::string CheckDocument(const std::string& document, const DocumentExpectations& expect);

}  // namespace tonvert::fuzz
