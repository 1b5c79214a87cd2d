#include <string>
#include <vector>

#include "conversion_fixture.h"

namespace tonvert {
namespace {


// With division 12, one tick is 3 time units: a row (36 units) is 12 ticks and a
// frame of 64 rows is 768 ticks.
constexpr int kRow = 12;
constexpr int kFrame = 64 * kRow;
const std::string kEmptyPulse = "... .. . ... ... ... ...";
const std::string kEmptyNoise = "... .. . ...";

class Placement : public ConversionTest {
 protected:
  Placement() {
    instrumentsIni =
        "[0]\nMidiInstrument=Lead\nFTInstrumentVar=2\n"
        "[1]\nMidiInstrument=Wide\nFTInstrumentVar=12\n"
        "[2]\nMidiInstrument=Odd\nFTInstrumentVar=-1\n";
    drumsIni = "[36]\nname=Kick\nkey=1-#\n[38]\nname=Snare\nkey=\n[40]\nname=Tom\nkey=C-3\n";
  }
  RunOutcome RunTrack(const Track& t) { return Run(Smf(0, 12, {t})); }
};

TEST_F(Placement, StartTimesFallOnTheirRowAndFrame) {
  // With the default grid a frame is 2,304 time units.
  Track t = Track().NoteOn(767, 0, 60, 100).NoteOff(1, 0, 60).NoteOn(0, 1, 62, 100).NoteOff(12, 1, 62).End();
  // 767 ticks = 2,301 units -> row 63; 768 ticks = 2,304 units -> frame 1.
  ASSERT_EQ(Run(Smf(0, 48, {t})), RunOutcome::Written);
  EXPECT_EQ(Note(0, 63, 1), "C-4");
  EXPECT_EQ(Note(1, 0, 1), "---");
  EXPECT_EQ(Note(1, 0, 2), "D-4");
}

TEST_F(Placement, CellsCarryNoteInstrumentVolumeAndDutyEffect) {
  Track t = Track().NoteOn(0, 0, 60, 127).Program(0, 1, 1).NoteOn(0, 1, 69, 8).Program(0, 3, 2)
                .NoteOn(0, 3, 64, 64).NoteOff(kRow, 0, 60).NoteOff(0, 1, 69).NoteOff(0, 3, 64).End();
  ASSERT_EQ(RunTrack(t), RunOutcome::Written);
  EXPECT_EQ(Cell(0, 0, 1), "C-4 00 F V02 ... ... ...");
  EXPECT_EQ(Cell(0, 0, 2), "A-4 01 1 V12 ... ... ...") << "decimal digits of FTInstrumentVar";
  EXPECT_EQ(Cell(0, 0, 6), "E-4 02 8 V00 ... ... ...") << "a negative value gives V00";
  EXPECT_EQ(Cell(0, 1, 1), "--- .. . ... ... ... ...");
}

TEST_F(Placement, QuietNotesAreDroppedWithTheirNoteOff) {
  Track t = Track().NoteOn(0, 0, 60, 7).NoteOff(kRow, 0, 60).End();
  ASSERT_EQ(RunTrack(t), RunOutcome::Written);
  EXPECT_EQ(Cell(0, 0, 1), kEmptyPulse);
  EXPECT_EQ(Cell(0, 1, 1), kEmptyPulse);
}

TEST_F(Placement, TheEarlierNoteKeepsItsCell) {
  // Same row: the second vanishes with its note-off.
  Track t = Track().NoteOn(0, 0, 60, 100).NoteOn(0, 0, 72, 100).NoteOff(kRow, 0, 60).NoteOff(2 * kRow, 0, 72).End();
  ASSERT_EQ(RunTrack(t), RunOutcome::Written);
  EXPECT_EQ(Note(0, 0, 1), "C-4");
  EXPECT_EQ(Note(0, 1, 1), "---");
  EXPECT_EQ(Note(0, 3, 1), "...");
}

TEST_F(Placement, AnEarlierNoteOffCutsALaterOverlappingNote) {
  Track one = Track().NoteOn(0, 0, 60, 100).NoteOff(4 * kRow, 0, 60).End();
  Track two = Track().NoteOn(2 * kRow, 0, 64, 100).NoteOff(6 * kRow, 0, 64).End();
  ASSERT_EQ(Run(Smf(1, 12, {one, two})), RunOutcome::Written);
  EXPECT_EQ(Note(0, 2, 1), "E-4");
  EXPECT_EQ(Note(0, 4, 1), "---");
  EXPECT_EQ(Note(0, 8, 1), "---");
}

TEST_F(Placement, ANeverEndingNoteGetsNoNoteOff) {
  Track t = Track().NoteOn(0, 0, 60, 100).NoteOn(5 * kRow, 1, 62, 100).NoteOff(kRow, 1, 62).End();
  ASSERT_EQ(RunTrack(t), RunOutcome::Written);
  EXPECT_EQ(Note(0, 0, 1), "C-4");
  EXPECT_EQ(Cell(0, 0, 2), kEmptyPulse) << "no stray note-off at the start";
}

TEST_F(Placement, ALoneNeverEndingNoteStillGetsItsFrame) {
  ASSERT_EQ(RunTrack(Track().NoteOn(0, 0, 60, 100).End()), RunOutcome::Written);
  EXPECT_EQ(FrameCount(), 1);
  EXPECT_EQ(Note(0, 0, 1), "C-4");
  ASSERT_EQ(RunTrack(Track().NoteOn(0, 0, 62, 100).NoteOff(kFrame, 0, 62).NoteOn(0, 1, 64, 100).End()),
            RunOutcome::Written);
  EXPECT_EQ(FrameCount(), 2);
  EXPECT_EQ(Note(1, 0, 2), "E-4");
}

TEST_F(Placement, FrameCountFollowsTheSongEnd) {
  ASSERT_EQ(RunTrack(Track().NoteOn(0, 0, 60, 100).NoteOff(10 * kFrame, 0, 60).End()), RunOutcome::Written);
  EXPECT_EQ(FrameCount(), 10) << "a note-off exactly on the boundary needs no frame";
  ASSERT_EQ(RunTrack(Track().NoteOn(0, 0, 60, 100).NoteOff(10 * kFrame + 1, 0, 60).End()), RunOutcome::Written);
  EXPECT_EQ(FrameCount(), 11);
  EXPECT_EQ(Note(10, 0, 1), "---");
}

TEST_F(Placement, MappingPicksTheFirstCheckedColumn) {
  // MIDI channel 1 on Pulse 1 and on MMC5 Pulse 2, nothing else.
  ClearMapper(ui.mapper);
  ui.mapper.SetChecked(MapperBoxIndex(1, 0), true);
  ui.mapper.SetChecked(MapperBoxIndex(7, 0), true);
  Track t = Track().NoteOn(0, 0, 60, 100).NoteOn(0, 2, 64, 100).NoteOff(kRow, 0, 60).NoteOff(0, 2, 64).End();
  ASSERT_EQ(RunTrack(t), RunOutcome::Written);
  EXPECT_EQ(Note(0, 0, 1), "C-4");
  EXPECT_EQ(Note(0, 0, 7), "...") << "only the leftmost checked column plays";
  EXPECT_EQ(Note(0, 0, 3), "...") << "MIDI channel 3 is mapped nowhere";
}

TEST_F(Placement, BoxesAreReadAtTheMomentEachNoteIsPlaced) {
  // The user unchecks MIDI channel 1 on Pulse 1 while notes are being placed.
  ui.onStatus = [this](const std::string& text) {
    if (text == "Note #31") ui.mapper.SetChecked(MapperBoxIndex(1, 0), false);
  };
  Track t;
  for (int i = 0; i < 40; ++i) t.NoteOn(i == 0 ? 0 : kRow / 2, 0, 60, 100).NoteOff(kRow / 2, 0, 60);
  ASSERT_EQ(RunTrack(t.End()), RunOutcome::Written);
  EXPECT_EQ(Note(0, 30, 1), "C-4");
  EXPECT_EQ(Note(0, 31, 1), "---") << "placed after the click: only the previous note's note-off";
}

TEST_F(Placement, OctavesStayWithinTheTrackersRange) {
  Track t = Track().NoteOn(0, 0, 0, 100).NoteOn(0, 1, 12, 100).NoteOn(0, 3, 107, 100)
                .NoteOn(0, 4, 108, 100).NoteOn(kRow, 0, 127, 100).End();
  ASSERT_EQ(RunTrack(t), RunOutcome::Written);
  EXPECT_EQ(Note(0, 0, 1), "C-0");
  EXPECT_EQ(Note(0, 0, 2), "C-0") << "notes 0-11 and 12-23 share octave 0";
  EXPECT_EQ(Note(0, 0, 6), "B-7");
  EXPECT_EQ(Note(0, 0, 7), "C-7") << "octave 8 would fail the import";
  EXPECT_EQ(Note(0, 1, 1), "G-7");
}

TEST_F(Placement, MelodicNotesOnTheNoiseChannelBecomeNoisePitches) {
  ApplyMapperText(ui.mapper, std::string(48, '0') + "111");  // MIDI 1-3 on Noise
  Track t = Track().NoteOn(0, 0, 60, 100).NoteOn(kRow, 1, 69, 100).NoteOn(kRow, 2, 67, 100)
                .NoteOn(kRow, 2, 127, 100).End();
  ASSERT_EQ(RunTrack(t), RunOutcome::Written);
  EXPECT_EQ(Note(0, 0, 4), "0-#");
  EXPECT_EQ(Note(0, 1, 4), "9-#");
  EXPECT_EQ(Note(0, 2, 4), "7-#") << "G would fail the import";
  EXPECT_EQ(Note(0, 3, 4), "B-#") << "octave 7 at most: (12 x 7 + 7) mod 16 = 11";
}

TEST_F(Placement, DrumsPlayTheirKeyAndInstrumentAndSilentDrumsAreNotPlaced) {
  // Kick (36) defined, snare (38) defined without key, 50 not defined at all.
  // Off Noise a drum plays its MIDI key, as the tracker refuses noise pitches
  // there, so the snare's missing key text does not matter.
  const struct {
    std::string mapper;  // MIDI channel 10's column
    int channel;
    std::vector<std::string> rows;
  } cases[] = {
      {"", 4, {"1-# 01 C ...", kEmptyNoise, kEmptyNoise, "--- .. . ..."}},
      {"0000000001", 1, {"C-2 01 C V00 ... ... ...", kEmptyPulse, "D-2 02 C V00 ... ... ...", "--- .. . ... ... ... ..."}},
      {std::string(32, '0') + "0000000001", 3, {"C-2 01 C ...", "... .. . ...", "D-2 02 C ...", "--- .. . ..."}},
  };
  Track t = Track().NoteOn(0, 9, 36, 100).NoteOn(kRow, 9, 50, 100).NoteOn(kRow, 9, 38, 100)
                .NoteOff(kRow, 9, 36).End();
  for (const auto& c : cases) {
    ApplyMapperText(ui.mapper, c.mapper);
    ASSERT_EQ(RunTrack(t), RunOutcome::Written);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(Cell(0, row, c.channel), c.rows[static_cast<size_t>(row)]) << row;
  }
}

TEST_F(Placement, NotesShorterThanARowEndOnTheNextRow) {
  // The note-off would fall in the note's own cell, where none is written.
  const struct {
    std::vector<Track> tracks;
    int frames, frame, row, channel;
    const char* note;  // the cell after the short note's own; nullptr: not written
  } cases[] = {
      {{Track().NoteOn(0, 0, 60, 100).NoteOff(1, 0, 60)}, 1, 0, 1, 1, "---"},
      // Past a pattern's last row: row 0 of the next frame, when it is written.
      {{Track().NoteOn(63 * kRow, 0, 60, 100).NoteOff(1, 0, 60).NoteOn(kRow, 1, 62, 100)}, 2, 1, 0, 1, "---"},
      {{Track().NoteOn(63 * kRow, 0, 60, 100).NoteOff(1, 0, 60)}, 1, 1, 0, 1, nullptr},
      // Only into an empty cell: the first track's note is placed first.
      {{Track().NoteOn(kRow, 0, 64, 100).NoteOff(kRow, 0, 64), Track().NoteOn(0, 0, 60, 100).NoteOff(1, 0, 60)},
       1, 0, 1, 1, "E-4"},
      // Drums end by themselves.
      {{Track().NoteOn(0, 9, 36, 100).NoteOff(1, 9, 36)}, 1, 0, 1, 4, "..."},
  };
  for (const auto& c : cases) {
    std::vector<Track> tracks;
    for (const Track& t : c.tracks) tracks.push_back(Track(t).End());
    ASSERT_EQ(Run(Smf(1, 12, tracks)), RunOutcome::Written);
    EXPECT_EQ(FrameCount(), c.frames);
    if (c.note) {
      EXPECT_EQ(Note(c.frame, c.row, c.channel), c.note) << c.frame << "/" << c.row;
    }
  }
}

TEST_F(Placement, SilentDrumNeitherErasesNorCutsANote) {
  ApplyMapperText(ui.mapper, "1000000001");  // MIDI 1 and 10 on Pulse 1
  Track t = Track().NoteOn(0, 0, 60, 100).NoteOn(0, 9, 50, 100).NoteOff(kRow, 9, 50)
                .NoteOn(0, 9, 40, 100).NoteOff(2 * kRow, 0, 60).NoteOff(0, 9, 40).End();
  ASSERT_EQ(RunTrack(t), RunOutcome::Written);
  EXPECT_EQ(Cell(0, 0, 1), "C-4 00 C V02 ... ... ...");
  EXPECT_EQ(Cell(0, 1, 1), "E-2 01 C V00 ... ... ...") << "a drum on a pulse channel gets V00";
}

TEST_F(Placement, CellsNeverNameAnInstrumentAboveThreeF) {
  Track t;
  for (int p = 0; p < 65; ++p) t.Program(0, 0, p).NoteOn(0, 0, 60, 100).NoteOff(kRow, 0, 60);
  ASSERT_EQ(RunTrack(t.End()), RunOutcome::Written);
  EXPECT_EQ(Cell(0, 63, 1), "C-4 3F C V00 ... ... ...");
  EXPECT_EQ(Cell(1, 0, 1), "C-4 .. C V00 ... ... ...");
}

TEST_F(Placement, SongsLongerThan128FramesAreCut) {
  Track t = Track().NoteOn(0, 0, 60, 100).NoteOff(kRow, 0, 60).NoteOn(127 * kFrame, 0, 62, 100)
                .NoteOff(kFrame, 0, 62).NoteOn(kFrame, 0, 64, 100).NoteOff(kRow, 0, 64).End();
  ASSERT_EQ(RunTrack(t), RunOutcome::Written);
  EXPECT_EQ(FrameCount(), 128);
  EXPECT_EQ(Note(127, 63, 1), "...");
  EXPECT_NE(Document().find("ORDER 7F : 7F 7F 7F 7F 7F 7F 7F\r\n"), std::string::npos);
  ASSERT_EQ(ui.reports.size(), 1u);
  EXPECT_EQ(ui.reports[0].warnings,
            (std::vector<std::string>{"Song cut after 128 frames",
                                      "This file has 12 ticks per quarter note: ticks per 1/16 note should be 9 (auto)."}));
}

}  // namespace
}  // namespace tonvert
