// Runs whole conversions in a temporary folder and reads cells back out of the
// document, so tests can speak of "frame 1, row 0, Pulse 2".
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "convert/conversion.h"
#include "support/fake_front_end.h"
#include "support/midi_builder.h"
#include "support/temp_dir.h"

namespace tonvert::test {

class ConversionTest : public ::testing::Test {
 protected:
  ConversionTest();

  // Writes the song and the two definition files, runs, and (when a document was
  // written and checkDocument is set) has the checker confirm the tracker imports it.
  RunOutcome Run(const Bytes& midi);
  std::string Document() const { return ReadFile(output()); }
  std::string output() const { return dir / "out.txt"; }

  // The segment of a tracker channel (1-7) in a ROW line, e.g. "C-4 00 F V02 ... ... ...".
  std::string Cell(int frame, int row, int trackerChannel) const;
  // Just the note column of that segment.
  std::string Note(int frame, int row, int trackerChannel) const;
  int FrameCount() const;  // number of PATTERN blocks
  // The grid a run with the present fields uses for a file of this division.
  Grid GridUsed(int division = 48) const;

  TempDir dir;
  FakeFrontEnd ui;
  std::string instrumentsIni;
  std::string drumsIni;
  RunOptions options;  // the definition paths are the fixture's own
  std::string summary;  // with options.summary pointing here
  bool checkDocument = true;
};

}  // namespace tonvert::test

namespace tonvert {
// The conversion tests speak of songs and runs in these words.
using test::Bytes;
using test::ConversionTest;
using test::Smf;
using test::Track;
}  // namespace tonvert
