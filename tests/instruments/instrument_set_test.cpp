#include <gtest/gtest.h>

#include "convert/document.h"
#include "instruments/instrument_set.h"
#include "support/fake_front_end.h"
#include "support/temp_dir.h"

namespace tonvert {
namespace {

using Texts = std::vector<std::string>;

struct Outcome {
  std::string macroText, instrumentText;
  Texts warnings;
  bool leftOut = false;
};

std::string Between(const std::string& text, const std::string& from, const std::string& to) {
  const size_t start = text.find(from) + from.size();
  return text.substr(start, text.find(to, start) - start);
}

// The instrument set of a song with these programs and drum keys, from the INI
// texts (nullptr: no such file), and its lines as the document writes them.
Outcome RunStages(const std::string* instrumentsIni, const std::string* drumsIni, std::vector<int32_t> programs,
                  const std::vector<int32_t>& drumNotes = {}) {
  test::TempDir dir;
  if (instrumentsIni) test::WriteFile(dir / "i.ini", *instrumentsIni);
  if (drumsIni) test::WriteFile(dir / "d.ini", *drumsIni);
  Song song;
  song.programs = std::move(programs);
  for (int32_t key : drumNotes) song.notes.push_back(Note{0, 10, 10, key, 100, kDrumChannel});
  song.notes.push_back(Note{0, 0, 0, 77, 100, kDrumChannel});  // a note of no length is no drum key
  const InstrumentSet set =
      BuildInstrumentSet(song, ReadInstrumentDefinitions(dir / "i.ini"), ReadDrumDefinitions(dir / "d.ini"));
  test::FakeFrontEnd quiet;
  const std::string doc = WriteDocument(set, PatternGrid(0, 1), TrackTimingFor(120), quiet);
  return {Between(doc, "# Macros\r\n", "\r\n\r\n# DPCM"), Between(doc, "\r\n# Instruments\r\n", "\r\n\r\n# Tracks"),
          set.warnings, set.instrumentsLeftOut};
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Programs 0..count-1, each named "P" with the same keys.
std::string Programs(int count, const std::string& keys, std::vector<int32_t>& list) {
  std::string ini;
  for (int p = 0; p < count; ++p) {
    ini += "[" + std::to_string(p) + "]\nMidiInstrument=P\n" + keys;
    list.push_back(p);
  }
  return ini;
}

TEST(InstrumentSet, ProgramsAndDrumsBecomeMacroAndInstrumentLines) {
  const std::string ini =
      "[0]\nMidiInstrument=Piano\nFTMacroVolume=-1 -1 0 : 15 12 9 6 3\nFTMacroDuty=-1 -1 0 : 2\n";
  const std::string drums = "[36]\nname=Kick\nm_volume=-1 -1 0 : 15 10 5 0\n"
                            "[38]\nname=Snare\nm_volume=-1 -1 0 : 12 8 4 0\nm_duty=-1 -1 0 : 1\n";
  const Outcome out = RunStages(&ini, &drums, {0, 33}, {38, 36, 38});
  EXPECT_EQ(out.macroText,
            "MACRO\t4\t0\t-1 -1 0 : 2\r\nMACRO\t0\t1\t-1 -1 0 : 15 12 9 6 3\r\n"
            "MACRO\t4\t2\t-1 -1 0 : 1\r\nMACRO\t0\t3\t-1 -1 0 : 12 8 4 0\r\n"
            "MACRO\t0\t4\t-1 -1 0 : 15 10 5 0\r\n");
  EXPECT_EQ(out.instrumentText,
            "INST2A03\t0\t1\t-1\t-1\t-1\t0\t\"Piano\"\r\nINST2A03\t1\t-1\t-1\t-1\t-1\t-1\t\"\"\r\n"
            "INST2A03\t3\t3\t-1\t-1\t-1\t2\t\"Snare\"\r\nINST2A03\t2\t4\t-1\t-1\t-1\t-1\t\"Kick\"\r\n");
  EXPECT_EQ(out.warnings, Texts{"Undefined instrument program #33"});
  EXPECT_FALSE(out.leftOut);

  const Outcome bare = RunStages(nullptr, nullptr, {5}, {36});  // no definition files
  EXPECT_EQ(bare.macroText + bare.instrumentText, "INST2A03\t0\t-1\t-1\t-1\t-1\t-1\t\"\"\r\n");
  EXPECT_EQ(bare.warnings, (Texts{"Undefined instrument program #5", "Undefined drum program #36"}));
}

TEST(InstrumentSet, PastOneHundredTwentyEightMacrosEachTypeCountsOnItsOwn) {
  const std::string four = "FTMacroVolume=-1 -1 0 : 1\nFTMacroArpeggio=-1 -1 0 : 0\n"
                           "FTMacroPitch=-1 -1 0 : 0\nFTMacroDuty=-1 -1 0 : 2\n";
  std::vector<int32_t> list32, list30;
  const std::string ini128 = Programs(32, four, list32);
  const Outcome shared = RunStages(&ini128, nullptr, list32);
  EXPECT_TRUE(Has(shared.macroText, "MACRO\t0\t127\t"));
  EXPECT_TRUE(Has(shared.instrumentText, "INST2A03\t31\t127\t124\t126\t-1\t125\t"));

  const std::string ini150 = Programs(30, four + "FTMacroHiPitch=-1 -1 0 : 0\n", list30);
  const Outcome out = RunStages(&ini150, nullptr, list30);
  // Emission order stays arpeggio, duty, hi-pitch, pitch, volume.
  EXPECT_EQ(out.macroText.find("MACRO\t1\t0\t-1 -1 0 : 0\r\nMACRO\t4\t0\t-1 -1 0 : 2\r\nMACRO\t3\t0\t"), 0u);
  EXPECT_TRUE(Has(out.macroText, "MACRO\t0\t29\t-1 -1 0 : 1\r\n"));
  EXPECT_FALSE(Has(out.macroText, "\t30\t"));
  EXPECT_TRUE(Has(out.instrumentText, "INST2A03\t29\t29\t29\t29\t29\t29\t\"P\"\r\n"));
}

TEST(InstrumentSet, InstrumentsAboveThreeFAreLeftOutButStillReported) {
  // Program 65 is undefined with a malformed body; drum 36 would be number 66.
  std::vector<int32_t> list;
  const std::string ini = Programs(65, "FTMacroVolume=-1 -1 0 : 15\n", list) + "[65]\nFTMacroPitch=bad\n";
  const std::string drums = "[36]\nm_duty=bad\n";
  list.push_back(65);
  const Outcome out = RunStages(&ini, &drums, list, {36});
  EXPECT_TRUE(Has(out.instrumentText, "INST2A03\t63\t"));
  EXPECT_FALSE(Has(out.instrumentText, "INST2A03\t64\t") || Has(out.instrumentText, "INST2A03\t66\t"));
  EXPECT_TRUE(Has(out.macroText, "MACRO\t0\t63\t"));
  EXPECT_FALSE(Has(out.macroText, "bad"));
  EXPECT_EQ(out.warnings, (Texts{"Undefined instrument program #65", "Undefined drum program #36"}));
  EXPECT_TRUE(out.leftOut);
  list.resize(64);
  EXPECT_FALSE(RunStages(nullptr, nullptr, list).leftOut);
}

TEST(InstrumentSet, NamesAreMadeSafeForTheTracker) {
  const std::string x = std::string(125, 'x');
  const std::string ini = "[0]\nMidiInstrument=Say \"Hi\"\tnow\n[1]\nMidiInstrument=" + x + "\"\"\"z\n";
  EXPECT_EQ(RunStages(&ini, nullptr, {0, 1}).instrumentText,
            "INST2A03\t0\t-1\t-1\t-1\t-1\t-1\t\"Say \"\"Hi\"\" now\"\r\n"
            "INST2A03\t1\t-1\t-1\t-1\t-1\t-1\t\"" + x + "\"\"\"\"\"\r\n");
}

TEST(InstrumentSet, MalformedBodiesAreWrittenAndReportedOncePerInstrument) {
  const std::string ini =
      "[0]\nFTMacroVolume=-1 -1 0 : 300\nFTMacroDuty=-1 -1 0: 1\n[1]\nMidiInstrument=Fine\n"
      "FTMacroVolume=252 -1 255 : -128 +127\nFTMacroPitch=\n[2]\nMidiInstrument=Odd\nFTMacroArpeggio=x\n";
  const std::string drums = "[36]\nname=Kick\nm_pitch=-1 -1 0 :\n";
  // Drum keys 40 and 41 have no group: warned in the order the song uses the keys.
  const Outcome out = RunStages(&ini, &drums, {0, 1, 2}, {40, 36, 41, 40});
  EXPECT_EQ(out.warnings, (Texts{"Undefined instrument program #0", "Malformed macro in program #0",
                                 "Malformed macro in program #2", "Undefined drum program #40",
                                 "Malformed macro in drum #36", "Undefined drum program #41"}));
  EXPECT_TRUE(Has(out.macroText, "MACRO\t0\t1\t-1 -1 0 : 300\r\n"));

  std::string longest = "-1 -1 0 :";
  for (int i = 0; i < 252; ++i) longest += " 1";
  EXPECT_TRUE(IsWellFormedMacroBody(longest));
  EXPECT_TRUE(IsWellFormedMacroBody("+1\t-1  0 : -0 +5 -128 127"));
  for (const char* bad : {"-1 -1 0 : -129", "253 -1 0 : 1", "-1 -2 0 : 1", "-1 -1 256 : 1", "-1 -1 0 :: 1",
                          "-1 -1 : 1", "-1 -1 0 : 1.5", "-1 -1 0 : -", "-1 -1 0 : 99999999999"})
    EXPECT_FALSE(IsWellFormedMacroBody(bad)) << bad;
  EXPECT_FALSE(IsWellFormedMacroBody(longest + " 1"));
}

}  // namespace
}  // namespace tonvert
