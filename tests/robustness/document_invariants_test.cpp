// The document checker is the conversion fuzzer's oracle: it must pass what a
// run writes and catch each kind of broken document.
#include <gtest/gtest.h>

#include <string>

#include "document_check.h"
#include "robustness_support.h"

namespace tonvert::test {
namespace {

using check::CheckDocument;

// A small document in the export's layout: two macros of different types with
// the same number, one instrument using both, `frames` patterns of `rows` rows.
std::string MiniDocument(int frames, int rows, const std::string& macros = "MACRO\t0\t0\t-1 -1 0 : 15 8\r\n"
                                                                           "MACRO\t4\t0\t-1 -1 0 : 2\r\n") {
  auto hex = [](int n) {
    static const char digits[] = "0123456789ABCDEF";
    return std::string{digits[n / 16 % 16], digits[n % 16]};
  };
  std::string doc = "# FamiTracker text export 0.4.2\r\n\r\n# Macros\r\n" + macros +
                    "\r\n# Instruments\r\nINST2A03\t0\t0\t-1\t-1\t-1\t0\t\"Lead\"\r\n\r\n"
                    "TITLE           \"Cool track\"\r\nEXPANSION       8\r\nTRACK  " + std::to_string(rows) + "   6 120 \"My new track\"\r\nCOLUMNS : 4 4 1 1 1 4 4\r\n\r\n";
  for (int f = 0; f < frames; ++f) {
    doc += "ORDER " + hex(f) + " :";
    for (int c = 0; c < 7; ++c) doc += " " + hex(f);
    doc += "\r\n";
  }
  doc += "\r\n";
  for (int f = 0; f < frames; ++f) {
    doc += "PATTERN " + hex(f) + "\r\n";
    for (int r = 0; r < rows; ++r) {
      doc += "ROW " + hex(r) + " : " + (r == 0 ? "C-4 00 F V00" : "... .. . ...") + " ... ... ... : ... .. . ... ... ... ...";
      doc += " : ... .. . ...  : ... .. . ...  : ... .. . ...  : ... .. . ... ... ... ... : ... .. . ... ... ... ...\r\n";
    }
    doc += "\r\n";
  }
  return doc + "# End of export\r\n";
}

std::string Check(const std::string& doc, int rows) { return CheckDocument(doc, DocumentRules(rows)); }

std::string Replace(std::string doc, const std::string& from, const std::string& to) {
  const size_t at = doc.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? doc : doc.replace(at, from.size(), to);
}

TEST(DocumentInvariants, PassWhatARunWrites) {
  ScratchDir dir;
  WriteDefinitions(dir.path());
  const InProcessResult run = RunInProcess(dir.path(), MultiTrackSong(), "16", "auto");
  ASSERT_EQ(run.outcome, RunOutcome::Written);
  EXPECT_EQ(Check(run.document, 16), "");
  EXPECT_EQ(Check(MiniDocument(3, 4), 4), "");
  EXPECT_EQ(Check(MiniDocument(128, 1), 1), "");
  EXPECT_EQ(Check(MiniDocument(0, 64), 64), "") << "a song without notes has no frames";
}

TEST(DocumentInvariants, CatchPatternShapes) {
  const std::string doc = MiniDocument(2, 4);
  EXPECT_NE(Check(doc, 5), "") << "rows per pattern other than the TRACK's";
  EXPECT_NE(Check(Replace(doc, "ROW 03 : ... .. . ... ... ... ... : ... .. . ... ... ... ... : ... .. . ...  : ... .. . "
                               "...  : ... .. . ...  : ... .. . ... ... ... ... : ... .. . ... ... ... ...\r\n", ""), 4),
            "")
      << "a pattern one row short";
  EXPECT_NE(Check(Replace(doc, "ROW 02", "ROW 01"), 4), "") << "ROW numbers out of order";
  EXPECT_NE(Check(Replace(doc, "ORDER 01 : 01", "ORDER 02 : 01"), 4), "") << "ORDER numbers out of order";
  EXPECT_NE(Check(Replace(doc, "PATTERN 01", "PATTERN 00"), 4), "") << "PATTERN numbers out of order";
  EXPECT_NE(Check(Replace(doc, "ORDER 01 : 01 01", "ORDER 01 : 01 00"), 4), "") << "an order naming another pattern";
  EXPECT_NE(Check(Replace(doc, "PATTERN 01", "PATTERN 01\r\nROW 00 : ... .. . ..."), 4), "") << "a short row";
  EXPECT_NE(Check(Replace(doc, "\r\n# End", "\n# End"), 4), "") << "an LF line end";
  EXPECT_NE(Check(MiniDocument(129, 1), 1), "") << "a frame past 7F";
}

TEST(DocumentInvariants, CatchBadCells) {
  const std::string doc = MiniDocument(1, 2);
  EXPECT_NE(Check(Replace(doc, "C-4 00", "C-8 00"), 2), "") << "octave 8";
  EXPECT_NE(Check(Replace(doc, "C-4 00", "C-4 40"), 2), "") << "instrument 40";
  EXPECT_NE(Check(Replace(doc, "C-4 00", "C-4 01"), 2), "") << "an instrument not written";
  EXPECT_NE(Check(Replace(doc, "C-4 00", "H-4 00"), 2), "") << "no such note";
  EXPECT_NE(Check(Replace(doc, "V00", "V-1"), 2), "") << "a negative effect value";
  EXPECT_EQ(Check(Replace(doc, "C-4 00", "1-# 00"), 2), "") << "a noise pitch";
  EXPECT_EQ(Check(Replace(doc, "C-4 00", "F#2 00"), 2), "") << "a drum key of the definitions";
  EXPECT_NE(Check(Replace(doc, "C-4 00", "3-# 00"), 2), "") << "a noise pitch on a pulse channel";
  EXPECT_NE(Check(Replace(doc, " : ... .. . ...  : ... .. . ...  :", " : ... .. . ...  : G-4 .. . ...  :"), 2), "")
      << "a melodic note on the noise channel";
  // What the tracker's import refuses in the other lines.
  for (const auto& [from, to] : {std::pair{"# Macros", "#Macros"}, {"\"Cool track\"", "\"Cool \"track\""},
                                 {"\"Cool track\"", "\"A title of thirty-two bytes long!\""}, {"EXPANSION       8", "EXPANSION 9"},
                                 {"-1 -1 0 : 15 8", "-1 -1 0 : 128"}, {"-1 -1 0 : 15 8", "-1 253 0 : 1"},
                                 {"\"Lead\"", "\"Le\x1A\""}, {"COLUMNS : 4 4 1", "COLUMNS : 4 4 2"}})
    EXPECT_NE(Check(Replace(doc, from, to), 2), "") << to;
}

TEST(DocumentInvariants, CatchMacroAndInstrumentNumbers) {
  // MACRO 128, one number twice within a type, an instrument naming a missing macro.
  for (const char* macros : {"MACRO\t0\t128\t-1 -1 0 : 1\r\n", "MACRO\t4\t0\t-1 -1 0 : 1\r\n",
                             "MACRO\t0\t0\t-1 -1 0 : 1\r\nMACRO\t4\t0\t-1 -1 0 : 1\r\nMACRO\t0\t0\t-1 -1 0 : 2\r\n"})
    EXPECT_NE(Check(MiniDocument(1, 1, macros), 1), "") << macros;
  for (const auto& [from, to] : {std::pair{"INST2A03\t0\t", "INST2A03\t64\t"}, {"TRACK  1   6 120", "TRACK  1   6 256"}})
    EXPECT_NE(Check(Replace(MiniDocument(1, 1), from, to), 1), "") << to;
}

}  // namespace
}  // namespace tonvert::test
