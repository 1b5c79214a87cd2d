// The document checker is the conversion fuzzer's oracle: it must pass what a
// run writes and catch each kind of broken document.
#include <gtest/gtest.h>

#include <set>
#include <dirent.h>

#include <string>
#include <vector>

#include "document_check.h"
#include "robustness_support.h"
#include "support/temp_dir.h"

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

TEST(DocumentInvariants, PassWhatARunWritesWithTheTimingOptions) {
  ScratchDir dir;
  WriteDefinitions(dir.path());
  using Options = std::set<Option>;
  for (const Options& options : {Options{Option::TempoChanges}, Options{Option::NearestRow},
                                 Options{Option::TempoChanges, Option::NearestRow}}) {
    for (const char* ticks : {"auto", "36", "fit"}) {
      const InProcessResult run = RunInProcess(dir.path(), MultiTrackSong(), "16", ticks, options);
      ASSERT_EQ(run.outcome, RunOutcome::Written) << ticks;
      EXPECT_EQ(Check(run.document, 16), "") << ticks << ", " << options.size() << " options";
      EXPECT_EQ(FtCheck(dir / "out.txt"), 0) << ticks << ", " << options.size() << " options";
    }
  }
  EXPECT_EQ(Check(Replace(MiniDocument(1, 2), "V00 ... ...", "V00 F05 F20"), 2), "") << "a speed and a tempo";
}

// Our song and the real ones, under every combination of the chord options,
// with mappers that put several MIDI channels in one column and one MIDI
// channel in several, and transposed to the ends of the range.
TEST(DocumentInvariants, HoldForEveryCombinationOfOptions) {
  ScratchDir dir;
  WriteDefinitions(dir.path());
  std::vector<std::string> songs{"ours"};
  const std::string realSongs = std::string(TONVERT_TEST_DATA_DIR) + "/midi";
  if (DIR* folder = opendir(realSongs.c_str())) {
    while (const dirent* entry = readdir(folder)) {
      const std::string name = entry->d_name;
      if (name.find(".mid") != std::string::npos) songs.push_back(realSongs + "/" + name);
    }
    closedir(folder);
  }
  WriteFile(dir / "ours.mid", MultiTrackSong());
  const std::vector<std::string> mappers{"", "all", "pulse1=1+2+3+4,pulse2=1+2+5+6,triangle=1+3,noise=10+1,dpcm=2,"
                                         "mmc5a=1+7+8+9,mmc5b=1+2+11+12+13+14+15+16", "auto"};
  for (const std::string& song : songs) {
    for (int combination = 0; combination < 8; ++combination) {
      for (const std::string& mapper : mappers) {
        FakeFrontEnd ui;
        ui.fields[Field::MidiPath] = song == "ours" ? dir / "ours.mid" : song;
        ui.fields[Field::OutputPath] = dir / "out.txt";
        ui.fields[Field::Ticks] = "auto";
        if (combination & 1) ui.options.insert(Option::SpreadChords);
        if (combination & 2) ui.options.insert(Option::Arpeggios);
        std::string problem;
        if (mapper == "all") {
          ApplyMapperText(ui.mapper, std::string(kMapperBoxCount, '1'));
        } else if (!mapper.empty() && mapper != "auto") {
          ASSERT_TRUE(ApplyReadableMapperText(ui.mapper, mapper, problem));
        }
        RunOptions options;
        options.instrumentsPath = dir / "instruments.ini";
        options.drumsPath = dir / "drums.ini";
        if (mapper == "auto") options.autoMapping = &ui.mapper;
        if (combination & 4) options.transpose = {48, -48, 48, 48, -48, 12, -12};
        std::remove((dir / "out.txt").c_str());
        ASSERT_EQ(RunConversion(ui, options), RunOutcome::Written) << song;
        const std::string document = ReadFile(dir / "out.txt");
        EXPECT_EQ(CheckDocument(document, DocumentRules()), "") << song << ", options " << combination << ", " << mapper;
        if (combination == 7 && mapper == "auto") {
          EXPECT_EQ(FtCheck(dir / "out.txt"), 0) << song;
        }
      }
    }
  }
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
  EXPECT_NE(Check(Replace(doc, "V00 ...", "V00 F15"), 2), "") << "a tempo below 32";
  EXPECT_NE(Check(Replace(doc, "V00 ...", "V00 F00"), 2), "") << "F00";
  EXPECT_EQ(Check(Replace(doc, "C-4 00", "1-# 00"), 2), "") << "a noise pitch";
  EXPECT_EQ(Check(Replace(doc, "C-4 00", "F#2 00"), 2), "") << "a drum key of the definitions";
  EXPECT_NE(Check(Replace(doc, "V00 ...", "V00 F00"), 2), "") << "F00";
  EXPECT_NE(Check(Replace(doc, "V00 ... ...", "V00 037 047"), 2), "") << "two arpeggios in one cell";
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

TEST(DocumentInvariants, CatchANoteThatInheritsAnArpeggio) {
  const std::string two = MiniDocument(2, 1);  // a note in each frame
  const std::string arpeggio = Replace(two, "F V00 ... ...", "F V00 037 ...");
  EXPECT_EQ(Check(Replace(MiniDocument(1, 2), "V00 ...", "V00 037"), 2), "") << "no later note";
  EXPECT_NE(Check(arpeggio, 1), "") << "the next frame's note would play it";
  EXPECT_EQ(Check(Replace(arpeggio, "F V00 ... ...", "F V00 000 ..."), 1), "") << "ended on the next note";
  EXPECT_EQ(Check(Replace(arpeggio, "F V00 ... ...", "F V00 ... 047"), 1), "") << "the next note's own";
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
