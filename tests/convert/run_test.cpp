#include <string>
#include <vector>

#include "conversion_fixture.h"

namespace tonvert {
namespace {

using test::WriteFile;

// One C-4 on MIDI channel 1, program 0, a sixteenth long (48 ticks per quarter).
Bytes OneNote(int division = 48) {
  return Smf(1, division, {Track().NoteOn(0, 0, 60, 127).NoteOff(division / 4, 0, 60).End()});
}

const char* const kPiano = "[0]\nMidiInstrument=Piano\nFTMacroVolume=-1 -1 0 : 15 10 5\n";

std::vector<std::string> Expected(std::initializer_list<const char*> head, int frames) {
  std::vector<std::string> statuses(head.begin(), head.end());
  for (int i = 0; i <= 50000; i += 31) statuses.push_back("Note #" + std::to_string(i));
  for (int f = 0; f < frames; ++f) statuses.push_back("Frame #" + std::to_string(f));
  statuses.push_back("Macros and instruments");
  statuses.push_back("Writing file");
  statuses.push_back("Completed");
  return statuses;
}

TEST_F(ConversionTest, CompletedRunShowsEveryStageAndPutsThePathOnTheClipboard) {
  instrumentsIni = kPiano;
  // Two frames with the default grid: the note-off at 2,400 time units.
  Track t = Track().NoteOn(0, 0, 60, 100).NoteOff(800, 0, 60).End();
  ASSERT_EQ(Run(Smf(1, 48, {t})), RunOutcome::Written);
  EXPECT_EQ(ui.statuses,
            Expected({"Reading MIDI", "Reading instruments", "Program #0", "Notes", "Reading drums"}, 2));
  EXPECT_EQ(ui.clipboard, output());
  EXPECT_TRUE(ui.reports.empty()) << "no warnings, no report";
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.fieldReads, (std::vector<Field>{Field::MidiPath, Field::Ticks, Field::Rows, Field::OutputPath}));
}

TEST_F(ConversionTest, ReportListsTheWarningsAfterCompleted) {
  Track t = Track().Program(0, 1, 33).NoteOn(0, 1, 40, 100).NoteOff(12, 1, 40).End();
  ASSERT_EQ(Run(Smf(1, 48, {t})), RunOutcome::Written);
  ASSERT_EQ(ui.reports.size(), 1u);
  EXPECT_EQ(ui.reports[0].text, "Completed.\r\n\r\nUndefined instrument program #33");
  EXPECT_EQ(ui.reports[0].warnings, std::vector<std::string>{"Undefined instrument program #33"});
}

TEST_F(ConversionTest, TwoRunsWithTheSameInputsWriteTheSameBytes) {
  instrumentsIni = kPiano;
  drumsIni = "[36]\nname=Kick\nkey=1-#\nm_volume=-1 -1 0 : 15 8 0\n";
  Track t = Track().Tempo(0, 400000).NoteOn(0, 0, 60, 100).NoteOn(0, 9, 36, 100).NoteOff(12, 0, 60)
                .NoteOff(0, 9, 36).End();
  ASSERT_EQ(Run(Smf(1, 48, {t})), RunOutcome::Written);
  const std::string first = Document();
  ASSERT_EQ(Run(Smf(1, 48, {t})), RunOutcome::Written);
  EXPECT_EQ(Document(), first);
}

TEST_F(ConversionTest, ReaderFailuresStopTheRunWithoutWriting) {
  WriteFile(output(), "old");
  ui.fields[Field::MidiPath] = dir / "missing.mid";
  EXPECT_EQ(Run(OneNote()), RunOutcome::Stopped);
  EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{"Bad file"});
  EXPECT_EQ(ui.statuses, std::vector<std::string>{"Reading MIDI"});

  ui = test::FakeFrontEnd();
  ui.fields[Field::MidiPath] = dir / "song.mid";
  ui.fields[Field::OutputPath] = output();
  EXPECT_EQ(Run({'R', 'I', 'F', 'F', 0, 0, 0, 4}), RunOutcome::Stopped);
  EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{"Unknown format !! : RIFF / 4"});
  EXPECT_EQ(Document(), "old");
}

TEST_F(ConversionTest, AbnormalEndGoesOnWithTheNotesReadSoFar) {
  Bytes bytes = Smf(1, 48, {Track().NoteOn(0, 0, 60, 100).NoteOff(12, 0, 60)});  // no End of Track
  ASSERT_EQ(Run(bytes), RunOutcome::Written);
  EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{"Abnormal EndOfFile encountered."});
  EXPECT_EQ(Note(0, 0, 1), "C-4");
}

TEST_F(ConversionTest, EmptyOrTextualRowsAndTicksBecomeSixteen) {
  ui.fields[Field::Rows] = "";
  ui.fields[Field::Ticks] = "abc";
  ASSERT_EQ(Run(OneNote()), RunOutcome::Written);
  EXPECT_EQ(GridUsed().rowsPerPattern, 16);
  EXPECT_EQ(GridUsed().ticksPerRow, 16);
  EXPECT_NE(Document().find("TRACK  16   "), std::string::npos);

  ui.fields[Field::Rows] = "$20";
  ui.fields[Field::Ticks] = " 72 ticks";
  ASSERT_EQ(Run(OneNote()), RunOutcome::Written);
  EXPECT_EQ(GridUsed().rowsPerPattern, 32);
  EXPECT_EQ(GridUsed().ticksPerRow, 72);
}

TEST_F(ConversionTest, RowsAndTicksOutsideTheGridStopTheRunAtTheirStage) {
  WriteFile(output(), "old");
  struct Case {
    const char* rows;
    const char* ticks;
    const char* message;
  } cases[] = {
      {"257", "36", "Rows per pattern must be between 1 and 256."},
      {"-1", "36", "Rows per pattern must be between 1 and 256."},
      {"64", "-5", "Ticks per 1/16 note must be at least 1."},
      {"300", "-5", "Rows per pattern must be between 1 and 256."},  // the first failing one only
  };
  for (const Case& c : cases) {
    ui = test::FakeFrontEnd();
    ui.fields = {{Field::MidiPath, dir / "song.mid"}, {Field::Rows, c.rows}, {Field::Ticks, c.ticks},
                 {Field::OutputPath, output()}};
    EXPECT_EQ(Run(OneNote()), RunOutcome::Stopped) << c.rows << "/" << c.ticks;
    ASSERT_EQ(ui.MessageTexts(), std::vector<std::string>{c.message});
    EXPECT_EQ(ui.messages[0].title, "Information");
    EXPECT_EQ(ui.statuses.back(), "Reading instruments") << "stopped before the programs";
  }
  ui.fields[Field::Rows] = "256";
  ui.fields[Field::Ticks] = "1";
  EXPECT_EQ(Run(OneNote()), RunOutcome::Written);
}

TEST_F(ConversionTest, AutoTicksMakeARowASixteenthOfTheFile) {
  for (const char* text : {"auto", " AUTO\t", "Auto"}) {
    ui.fields[Field::Ticks] = text;
    ASSERT_EQ(Run(OneNote(480)), RunOutcome::Written);
    EXPECT_EQ(GridUsed(480).ticksPerRow, 360) << text;
  }
  ASSERT_EQ(Run(OneNote(1)), RunOutcome::Written);
  EXPECT_EQ(GridUsed(1).ticksPerRow, 1) << "0.75 rounds to 1";
  ASSERT_EQ(Run(OneNote(2)), RunOutcome::Written);
  EXPECT_EQ(GridUsed(2).ticksPerRow, 2) << "1.5 rounds half up";
  ASSERT_EQ(Run(OneNote(96)), RunOutcome::Written);
  EXPECT_EQ(Note(0, 0, 1), "C-4");
  EXPECT_EQ(Note(0, 1, 1), "---") << "a sixteenth note lasts one row";
}

TEST_F(ConversionTest, AutoTicksRefuseSmpteTiming) {
  Bytes smpte = Smf(1, 0xE728, {Track().NoteOn(0, 0, 60, 100).End()});
  ui.fields[Field::Ticks] = "auto";
  ui.fields[Field::Rows] = "999";  // never reached: ticks come first
  EXPECT_EQ(Run(smpte), RunOutcome::Stopped);
  EXPECT_EQ(ui.MessageTexts(),
            std::vector<std::string>{"This file has no ticks per quarter note: enter the ticks per 1/16 note."});
  ui.fields[Field::Ticks] = "36";
  ui.fields[Field::Rows] = "64";
  EXPECT_EQ(Run(smpte), RunOutcome::Written) << "a typed value still works";
}

TEST_F(ConversionTest, TypedTicksFarFromTheFilesSixteenthAreWarnedAboutLast) {
  // Warned when below half or above twice the auto value (360 for 480, 36 for
  // 48, 9 for 12), after the 0 -> 16 replacement; never for auto or a file
  // without ticks per quarter note.
  const struct {
    int division;
    const char* ticks;
    const char* autoTicks;  // in the warning; nullptr: no warning
  } cases[] = {
      {480, "36", "360"}, {480, "179", "360"}, {480, "180", nullptr}, {480, "auto", nullptr},
      {48, "72", nullptr}, {48, "73", "36"},   {12, "0", nullptr},    {0xE728, "1", nullptr},
      {0, "36", nullptr},
  };
  for (const auto& c : cases) {
    ui.fields[Field::Ticks] = c.ticks;
    ui.reports.clear();
    ASSERT_EQ(Run(OneNote(c.division)), RunOutcome::Written) << c.division << "/" << c.ticks;
    std::vector<std::string> warnings{"Undefined instrument program #0"};
    if (c.autoTicks)
      warnings.push_back("This file has " + std::to_string(c.division) +
                         " ticks per quarter note: ticks per 1/16 note should be " + c.autoTicks + " (auto).");
    ASSERT_EQ(ui.reports.size(), 1u);
    EXPECT_EQ(ui.reports[0].warnings, warnings) << c.division << "/" << c.ticks;
  }
}

TEST_F(ConversionTest, EmptyOutputPathCancelsAfterAllStages) {
  ui.fields[Field::OutputPath] = "";
  EXPECT_EQ(Run(OneNote()), RunOutcome::Canceled);
  EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{"Canceled."});
  EXPECT_EQ(ui.messages[0].title, "Information");
  EXPECT_EQ(ui.statuses.back(), "Macros and instruments");
  EXPECT_TRUE(ui.clipboard.empty());
  EXPECT_TRUE(ui.reports.empty()) << "no report after a cancelled output";
}

TEST_F(ConversionTest, FailedWriteKeepsTheOldFileAndReportsNothingElse) {
  WriteFile(dir / "plain", "x");
  ui.fields[Field::OutputPath] = dir / "plain/out.txt";  // a path under a regular file
  EXPECT_EQ(Run(OneNote()), RunOutcome::Stopped);
  EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{"may not create the file!"});
  EXPECT_EQ(ui.statuses.back(), "Writing file");
  EXPECT_TRUE(ui.clipboard.empty());
  EXPECT_TRUE(ui.reports.empty()) << "the warnings of a failed run are not shown";

  // The MIDI file itself as the target: refused, the song survives.
  ui = test::FakeFrontEnd();
  ui.fields[Field::MidiPath] = dir / "song.mid";
  ui.fields[Field::OutputPath] = dir / "song.mid";
  EXPECT_EQ(Run(OneNote()), RunOutcome::Stopped);
  EXPECT_EQ(test::ReadBytes(dir / "song.mid"), OneNote());
}

TEST_F(ConversionTest, ReportWarningsFollowTheirOrder) {
  // 65 programs (64 instruments at most), a note in frame 128, and a program
  // without a name: the definitions' warnings first, then the run's own.
  for (int p = 0; p < 65; ++p)
    instrumentsIni += "[" + std::to_string(p) + "]\nMidiInstrument=P" + std::to_string(p) + "\n";
  Track t;
  for (int p = 0; p < 66; ++p) t.Program(0, 0, p).NoteOn(0, 0, 60, 100).NoteOff(1, 0, 60);
  t.NoteOn(128 * 64 * 12, 0, 62, 100).NoteOff(12, 0, 62).End();  // frame 128 with the defaults
  ASSERT_EQ(Run(Smf(1, 48, {t})), RunOutcome::Written);
  ASSERT_EQ(ui.reports.size(), 1u);
  EXPECT_EQ(ui.reports[0].warnings,
            (std::vector<std::string>{"Undefined instrument program #65", "Song cut after 128 frames",
                                      "More than 64 instruments: instruments above 3F were left out"}));
  EXPECT_EQ(FrameCount(), 128);
}

}  // namespace
}  // namespace tonvert
