#include <cstdlib>
#include <string>

#include "conversion_fixture.h"
#include "convert/document.h"

namespace tonvert {
namespace {

using test::ConversionTest;
using test::Smf;
using test::Track;

TEST(TrackTiming, PlaysTheSongAtItsOwnTempo) {
  struct Case {
    int32_t bpm;
    int speed, tempo;
  } cases[] = {
      {0, 6, 120},       // no Set Tempo: the MIDI default, 120
      {120, 6, 120},     {32, 6, 32},     {255, 6, 255},
      {256, 5, 213},     // 256 x 5/6 = 213.3
      {300, 5, 250},     {31, 7, 36},     // 31 x 7/6 = 36.2 (speed 5 gives 25.8, too slow)
      {20, 10, 33},      // 20 x 10/6 = 33.3
      {6, 20, 32},       // too slow for any speed
      {60000000, 1, 255},  // too fast for any speed
  };
  for (const Case& c : cases) {
    const TrackTiming t = TrackTimingFor(c.bpm);
    EXPECT_EQ(t.speed, c.speed) << c.bpm;
    EXPECT_EQ(t.tempo, c.tempo) << c.bpm;
  }
}

TEST_F(ConversionTest, SongWithoutNotesHasNoFrames) {
  ASSERT_EQ(Run(Smf(1, 48, {Track().Tempo(0, 500000).End()})), RunOutcome::Written);
  const std::string doc = Document();
  EXPECT_EQ(doc.find("ORDER"), std::string::npos);
  EXPECT_NE(doc.find("COLUMNS : 4 4 1 1 1 4 4\r\n\r\n\r\n# End of export\r\n"), std::string::npos);
  EXPECT_NE(doc.find("TRACK  64   6 120 \"My new track\"\r\n"), std::string::npos);
  EXPECT_NE(doc.find("# Macros\r\n\r\n\r\n# DPCM samples\r\n\r\n# Instruments\r\n\r\n\r\n# Tracks\r\n"),
            std::string::npos);
}

TEST_F(ConversionTest, PlaceholdersInNamesAndBodiesAreWrittenAsTyped) {
  // Program 0's name carries placeholders; the pattern rows come from the grid only.
  instrumentsIni = "[0]\nMidiInstrument=#BPM# #ROWS# #PATTERNS#\n";
  ASSERT_EQ(Run(Smf(1, 48, {Track().NoteOn(0, 0, 60, 100).NoteOff(12, 0, 60).End()})), RunOutcome::Written);
  EXPECT_NE(Document().find("\"#BPM# #ROWS# #PATTERNS#\"\r\n"), std::string::npos);
}

// Whole documents, checked by hand once and kept: the bytes of every line,
// spaces and line ends included.
class GoldenDocument : public ConversionTest {
 protected:
  void Expect(const std::string& name) {
    const std::string path = std::string(TONVERT_SOURCE_DIR) + "/tests/convert/golden/" + name;
    // TONVERT_UPDATE_GOLDEN=1 rewrites the file after a deliberate change; read the diff.
    if (std::getenv("TONVERT_UPDATE_GOLDEN") != nullptr) test::WriteFile(path, Document());
    const std::string expected = test::ReadFile(path);
    ASSERT_FALSE(expected.empty()) << path;
    EXPECT_EQ(Document(), expected) << "compare " << output() << " with " << path;
  }
};

TEST_F(GoldenDocument, TwoVoicesAndDrumsInOneFrame) {
  instrumentsIni =
      "; two programs, one with every macro\n"
      "[0]\r\nMidiInstrument=Square lead\r\nFTInstrumentVar=2\r\nFTMacroVolume=-1 -1 0 : 15 12 9\r\n"
      "FTMacroDuty=-1 -1 0 : 2\r\n"
      "[33]\r\nMidiInstrument=Bass \"finger\"\r\nFTMacroVolume=-1 -1 0 : 15 8\r\n"
      "FTMacroArpeggio=0 -1 0 : 0 12\r\nFTMacroPitch=-1 -1 0 : 0 1 -1\r\nFTMacroHiPitch=-1 -1 0 : 0\r\n"
      "FTMacroDuty=-1 -1 0 : 1\r\n";
  drumsIni = "[38]\nname=Snare\nkey=9-#\nm_volume=-1 -1 0 : 12 8 4 0\nm_duty=-1 -1 0 : 1\n"
             "[36]\nname=Kick\nkey=2-#\nm_volume=-1 -1 0 : 15 10 5 0\n";
  ui.fields[Field::Rows] = "8";
  ui.fields[Field::Ticks] = "auto";
  Track lead = Track().Tempo(0, 500000).Name(0, "Lead").NoteOn(0, 0, 72, 127).NoteOff(48, 0, 72)
                   .NoteOn(0, 0, 74, 100).NoteOff(24, 0, 74).NoteOn(24, 0, 76, 60).NoteOff(48, 0, 76).End();
  Track bass = Track().Name(0, "Bass").Program(0, 1, 33).NoteOn(0, 1, 36, 110).NoteOff(96, 1, 36)
                   .NoteOn(0, 1, 43, 90).NoteOff(48, 1, 43).End();
  Track drums = Track().NoteOn(0, 9, 36, 120).NoteOff(12, 9, 36).NoteOn(36, 9, 38, 100).NoteOff(12, 9, 38)
                    .NoteOn(36, 9, 36, 120).NoteOff(12, 9, 36).End();
  ASSERT_EQ(Run(Smf(1, 48, {lead, bass, drums})), RunOutcome::Written);
  Expect("two-voices.txt");
  EXPECT_TRUE(ui.reports.empty());
}

TEST_F(GoldenDocument, UndefinedProgramsAndTwoFrames) {
  ui.fields[Field::Rows] = "4";
  Track t = Track().Tempo(0, 1000000).Program(0, 2, 48).NoteOn(0, 2, 48, 100).NoteOff(20, 2, 48)
                .NoteOn(0, 2, 50, 100).NoteOff(40, 2, 50).End();
  ASSERT_EQ(Run(Smf(0, 48, {t})), RunOutcome::Written);
  Expect("undefined-two-frames.txt");
}

}  // namespace
}  // namespace tonvert
