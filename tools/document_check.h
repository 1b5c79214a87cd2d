// The project's one document checker: what every document a run writes must
// hold, whatever MIDI file it came from, and the rules of the tracker's text
// import (FamiTracker 0.4.6, 0CC, Dn: what all of them read alike). The fuzz
// targets, the tests, tonvert-check and the benchmark use it.
#pragma once

#include <set>
#include <string>

namespace tonvert::check {

struct DocumentExpectations {
  int rowsPerPattern = 64;
  int maxFrames = 128;
  // Note texts of drum cells other than the usual note forms, as the drum
  // definitions wrote them.
  std::set<std::string> drumKeys;
  // Only what the import needs, for a document made with unknown settings:
  // the TRACK's rows, any note text its channel reads, any effect the tracker
  // knows, speed and tempo 0-255.
  bool importOnly = false;
  // Macros as the tracker keeps them: values, loop and release points and
  // settings that it neither drops nor reads otherwise.
  bool soundMacros = false;
  // Macro bodies as the user typed them, which the definitions carry unchecked.
  bool anyMacroBody = false;
};

// The expectations of tonvert-check.
inline DocumentExpectations ImportRules() {
  DocumentExpectations rules;
  rules.importOnly = true;
  return rules;
}

// "" when the document holds; else the first violation, with its line number.
// Checked: CR LF line ends only, no other control byte; "#" comments; quoted
// strings the trackers read alike (TITLE, AUTHOR, COPYRIGHT up to 31 bytes,
// names up to 127); MACHINE, FRAMERATE, VIBRATO, SPLIT in range, EXPANSION 8
// and COLUMNS 4 4 1 1 1 4 4 after the TRACK; MACRO numbers 0-127 and unique
// within their type, bodies "loop release setting : values" in range, at most
// 252 values; INST2A03 numbers 00-3F, unique, naming only macros that exist;
// TRACK rows as expected, speed 1-20 and tempo 32-255; ORDER and PATTERN numbers
// 00, 01, ... with no frame past 7F, as many patterns as orders; every pattern
// exactly the rows per pattern, ROW numbers in order; seven cells a row with
// their column counts; notes "...", "---", octaves 0-7, noise pitches on
// the noise channel only, or a drum key; instrument cells ".." or a written instrument 00-3F.
std::string CheckDocument(const std::string& document, const DocumentExpectations& expect);

}  // namespace tonvert::check
