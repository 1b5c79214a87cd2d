// The timing options: tempo changes as Fxx effects, nearest-row placement and
// the grid found from the notes ("fit").
#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "conversion_fixture.h"
#include "convert/timing.h"

namespace tonvert {
namespace {


const std::string kEmptyPulse = "... .. . ... ... ... ...";

class Timing : public ConversionTest {
 protected:
  Timing() {
    instrumentsIni = "[0]\nMidiInstrument=Lead\nFTInstrumentVar=2\n";
    ui.fields[Field::Ticks] = "auto";
  }
};

// What the tracker plays: every row lasts 2.5 x speed / tempo seconds, with the
// speed and tempo of the TRACK line and of the Fxx effects met so far (the split
// point is 21). Gives each row's start, in the document's order, and the rows
// where Pulse 1 starts a note.
struct PlayedRows {
  std::vector<double> start;
  std::vector<size_t> pulse1Notes;
  std::vector<double> length;
};

PlayedRows Play(const std::string& doc) {
  PlayedRows played;
  std::istringstream in(doc);
  std::string line;
  int speed = 0, tempo = 0;
  double now = 0;
  while (std::getline(in, line)) {
    if (line.rfind("TRACK ", 0) == 0) {
      std::istringstream words(line.substr(6));
      int rows;
      words >> rows >> speed >> tempo;
    }
    if (line.rfind("ROW ", 0) != 0) continue;
    std::istringstream words(line);
    std::string word;
    while (words >> word)
      if (word.size() == 3 && word[0] == 'F') {
        const int value = std::stoi(word.substr(1), nullptr, 16);
        (value < 21 ? speed : tempo) = value;
      }
    const std::string note = line.substr(9, 3);
    if (note != "..." && note != "---") played.pulse1Notes.push_back(played.start.size());
    played.start.push_back(now);
    played.length.push_back(2.5 * speed / tempo);
    now += played.length.back();
  }
  return played;
}

// The seconds at a tick, from the song's own tempo map ({tick, microseconds per
// quarter note}, in order, the first at tick 0).
double MidiSeconds(const std::vector<std::pair<uint32_t, uint32_t>>& tempos, int division, uint32_t tick) {
  double seconds = 0;
  for (size_t i = 0; i < tempos.size() && tempos[i].first < tick; ++i) {
    const uint32_t until = i + 1 < tempos.size() ? std::min(tempos[i + 1].first, tick) : tick;
    seconds += (until - tempos[i].first) * tempos[i].second / 1e6 / division;
  }
  return seconds;
}

TEST_F(Timing, TempoChangesBecomeFxxOnTheirRows) {
  // A row is 12 ticks. The changes in a track of their own: 300 BPM at row 4
  // (speed 5 tempo 250), the same again at row 8, 100 then 120 BPM within row
  // 12 (at 12 and 12.5 rows), 90 BPM at row 16.
  Track tempos = Track().Tempo(0, 500000).Tempo(48, 200000).Tempo(48, 200000).Tempo(48, 600000)
                     .Tempo(6, 500000).Tempo(42, 666667).End();
  Track notes = Track().NoteOn(48, 0, 60, 127).NoteOff(12, 0, 60).NoteOn(180, 0, 62, 127).NoteOff(12, 0, 62).End();
  struct Case {
    bool nearest;
    std::vector<std::pair<int, std::string>> cells;  // row of frame 0 -> Pulse 1
  } cases[] = {
      {false,
       {{4, "C-4 00 F V02 F05 FFA ..."}, {8, kEmptyPulse}, {12, "... .. . ... F06 F78 ..."}, {13, kEmptyPulse},
        {16, "... .. . ... F5A ... ..."}}},
      // Nearest: the change at 12.5 rows takes row 13, and 100 BPM keeps row 12.
      {true,
       {{4, "C-4 00 F V02 F05 FFA ..."}, {12, "... .. . ... F06 F64 ..."}, {13, "... .. . ... F78 ... ..."}}},
  };
  for (const Case& c : cases) {
    ui.options = {Option::TempoChanges};
    if (c.nearest) ui.options.insert(Option::NearestRow);
    ASSERT_EQ(Run(Smf(1, 48, {tempos, notes})), RunOutcome::Written);
    EXPECT_NE(Document().find("TRACK  64   6 120 "), std::string::npos) << "the tempo at time 0";
    for (const auto& [row, cell] : c.cells) EXPECT_EQ(Cell(0, row, 1), cell) << "row " << row << " nearest " << c.nearest;
  }
  // Without a Set Tempo at time 0 the song starts at 120 BPM.
  ASSERT_EQ(Run(Smf(1, 48, {Track().Tempo(48, 600000).End(), notes})), RunOutcome::Written);
  EXPECT_NE(Document().find("TRACK  64   6 120 "), std::string::npos);
  EXPECT_EQ(Cell(0, 4, 1), "C-4 00 F V02 F64 ... ...");
}

TEST_F(Timing, NoteStartsKeepTheirMidiTimesWithTempoChanges) {
  // A ritardando from 120 to 60 BPM over six quarter notes, then 180 and 300 BPM,
  // with notes every 37 ticks, off the grid (a row is 24 ticks).
  constexpr int kDivision = 96;
  const std::vector<std::pair<uint32_t, uint32_t>> tempos = {
      {0, 500000},      {96, 545455},     {192, 600000},  {288, 666667},  {384, 750000},
      {480, 857143},    {576, 1000000},   {672, 333333},  {1056, 200000}, {1440, 500000}};
  Track conductor;
  for (size_t i = 0; i < tempos.size(); ++i)
    conductor.Tempo(tempos[i].first - (i == 0 ? 0 : tempos[i - 1].first), tempos[i].second);
  Track melody;
  std::vector<uint32_t> starts;
  for (uint32_t tick = 0; tick < 1800; tick += 37) {
    melody.NoteOn(starts.empty() ? 0 : 17, 0, 60, 100).NoteOff(20, 0, 60);
    starts.push_back(tick);
  }
  const Bytes song = Smf(1, kDivision, {conductor.End(), melody.End()});

  // How far the worst note start misses by more than 1 % or one row, in seconds.
  const auto worstMiss = [&]() {
    const PlayedRows played = Play(Document());
    EXPECT_EQ(played.pulse1Notes.size(), starts.size());
    double worst = 0;
    for (size_t i = 0; i < starts.size() && i < played.pulse1Notes.size(); ++i) {
      const size_t row = played.pulse1Notes[i];
      const double midi = MidiSeconds(tempos, kDivision, starts[i]);
      // One row: of the tempo before or after a change the note was rounded across.
      const double oneRow = std::max(played.length[row], played.length[row == 0 ? 0 : row - 1]);
      const double miss = std::abs(played.start[row] - midi) - std::max(0.01 * midi, oneRow);
      worst = std::max(worst, miss);
    }
    return worst;
  };
  for (const char* ticks : {"auto", "fit"}) {
    for (bool nearest : {false, true}) {
      ui.fields[Field::Ticks] = ticks;
      ui.options = {Option::TempoChanges};
      if (nearest) ui.options.insert(Option::NearestRow);
      ASSERT_EQ(Run(song), RunOutcome::Written);
      EXPECT_LE(worstMiss(), 0) << ticks << (nearest ? " nearest" : "");
    }
  }
  ui.fields[Field::Ticks] = "auto";
  ui.options = {};
  ASSERT_EQ(Run(song), RunOutcome::Written);
  EXPECT_GT(worstMiss(), 0.5) << "one tempo for the whole song drifts";
}

TEST_F(Timing, NearestRowRoundsStartsAndEndsHalvesLater) {
  // 8 ticks per quarter note: a row is 2 ticks, a pattern of 4 rows 8 ticks.
  // Notes at 1-5, 9-12 and 15-16 ticks: 0.5-2.5, 4.5-6 and 7.5-8 rows.
  ui.fields[Field::Rows] = "4";
  Track t = Track().NoteOn(1, 0, 60, 127).NoteOff(4, 0, 60).NoteOn(4, 0, 62, 127).NoteOff(3, 0, 62)
                .NoteOn(3, 0, 64, 127).NoteOff(1, 0, 64).End();
  struct Case {
    bool nearest;
    int frames;
    std::vector<std::pair<std::pair<int, int>, std::string>> notes;  // {frame, row} -> Pulse 1
  } cases[] = {
      {false, 2, {{{0, 0}, "C-4"}, {{0, 2}, "---"}, {{1, 0}, "D-4"}, {{1, 2}, "---"}, {{1, 3}, "E-4"}}},
      // The last note rounds into a frame of its own, which is then written.
      {true, 3, {{{0, 0}, "..."}, {{0, 1}, "C-4"}, {{0, 3}, "---"}, {{1, 1}, "D-4"}, {{1, 2}, "---"}, {{2, 0}, "E-4"}}},
  };
  for (const Case& c : cases) {
    ui.options.clear();
    if (c.nearest) ui.options.insert(Option::NearestRow);
    ASSERT_EQ(Run(Smf(0, 8, {t})), RunOutcome::Written);
    EXPECT_EQ(FrameCount(), c.frames) << "nearest " << c.nearest;
    for (const auto& [at, note] : c.notes)
      EXPECT_EQ(Note(at.first, at.second, 1), note) << at.first << ":" << at.second << " nearest " << c.nearest;
  }
}

TEST_F(Timing, NearestRowKeepsEveryQuarterNoteOnItsBeatWithAnOddDivision) {
  // 89 ticks per quarter note: a sixteenth is 66.75 thirds of a tick, which the
  // plain auto grid rounds to 67.
  Track t;
  for (int k = 0; k < 32; ++k) t.NoteOn(k == 0 ? 0 : 49, 0, 60 + k % 12, 100).NoteOff(40, 0, 60 + k % 12);
  ui.options = {Option::NearestRow};
  ASSERT_EQ(Run(Smf(0, 89, {t.End()})), RunOutcome::Written);
  for (int k = 0; k < 32; ++k) EXPECT_NE(Note(4 * k / 64, 4 * k % 64, 1), "...") << "quarter note " << k;
  ui.options.clear();
  ASSERT_EQ(Run(Smf(0, 89, {t})), RunOutcome::Written);
  EXPECT_EQ(Note(0, 3, 1), "C#4") << "without the option the second quarter note comes a row early";
}

TEST(FitGrid, ChoosesTheCoarsestGridThatHoldsTheNoteStarts) {
  constexpr int kQuarter = 3 * 240;  // in thirds of a tick, at 240 ticks per quarter note
  const auto song = [](std::vector<std::vector<int>> beats, std::vector<int> zeroLength = {}) {
    // Each beat lists its notes' starts in ticks from the beat's start.
    Song s;
    s.division = 240;
    for (size_t b = 0; b < beats.size(); ++b)
      for (int tick : beats[b]) {
        Note n;
        n.start = static_cast<int64_t>(b) * kQuarter + 3 * tick;
        n.length = 30;
        s.notes.push_back(n);
      }
    for (int tick : zeroLength) {
      Note n;
      n.start = 3 * tick;
      s.notes.push_back(n);
    }
    return s;
  };
  const std::vector<int> sixteenths{0, 60, 120, 180}, triplets{0, 80, 160};
  struct Case {
    const char* what;
    Song song;
    int rowsPerQuarter;
  } cases[] = {
      {"straight sixteenths, a few ticks early or late", song({{0, 62, 118, 180}, {2, 60, 120, 177}}), 4},
      {"eighth triplets", song({triplets, triplets}), 3},
      {"sixteenth triplets", song({{0, 40, 80, 120, 160, 200}}), 6},
      {"32nd notes", song({{0, 30, 60, 90, 120, 150, 180, 210}}), 8},
      {"sixteenths and triplets", song({sixteenths, triplets}), 12},
      {"quarter notes", song({{0}, {0}, {0}}), 2},
      {"zero-length notes do not count", song({sixteenths}, {7, 13, 101}), 4},
      // None holds 95 %: 4, 8, 12, 16 and 24 hold the most (5 of 9), 4 is the coarsest.
      {"sixteenths and quintuplets", song({sixteenths, {0, 48, 96, 144, 192}}), 4},
  };
  for (const Case& c : cases) EXPECT_EQ(FitRowsPerQuarter(c.song), c.rowsPerQuarter) << c.what;
}

TEST_F(Timing, FitPlacesTripletsOnRowsAndScalesTheTempo) {
  // Eighth triplets at 96 ticks per quarter note, 120 BPM, then 90 BPM at the
  // third quarter note.
  Track t = Track().Tempo(0, 500000);
  for (int i = 0; i < 12; ++i) {
    if (i > 0) t.Tempo(8, i == 6 ? 666667 : 500000);
    t.NoteOn(0, 0, 60 + i, 100).NoteOff(24, 0, 60 + i);
  }
  ui.fields[Field::Ticks] = " Fit ";
  ui.options = {Option::TempoChanges};
  ASSERT_EQ(Run(Smf(0, 96, {t.End()})), RunOutcome::Written);
  const auto grid = std::find(ui.statuses.begin(), ui.statuses.end(), "Grid: 3 rows per quarter note");
  ASSERT_NE(grid, ui.statuses.end());
  EXPECT_EQ(*(grid + 1), "Program #0");
  // Speed 24 / 3 = 8 keeps tempo = BPM.
  EXPECT_NE(Document().find("TRACK  64   8 120 "), std::string::npos);
  const char* const names[] = {"C-4", "C#4", "D-4", "D#4", "E-4", "F-4", "F#4", "G-4", "G#4", "A-4", "A#4", "B-4"};
  for (int row = 0; row < 12; ++row) EXPECT_EQ(Note(0, row, 1), names[row]) << "every triplet on its own row";
  EXPECT_EQ(Cell(0, 6, 1), "F#4 00 C V02 F5A ... ...");
  EXPECT_EQ(Cell(0, 7, 1), "G-4 00 C V02 F78 ... ...");
}

TEST_F(Timing, FitNeedsTicksPerQuarterNote) {
  ui.fields[Field::Ticks] = "FIT";
  for (int division : {0xE728, 0}) {
    ui.messages.clear();
    EXPECT_EQ(Run(Smf(1, division, {Track().NoteOn(0, 0, 60, 100).NoteOff(40, 0, 60).End()})), RunOutcome::Stopped);
    EXPECT_EQ(ui.MessageTexts(),
              std::vector<std::string>{"This file has no ticks per quarter note: enter the ticks per 1/16 note."});
  }
}

TEST(TempoTiming, SpeedNearestToTheGridAndTempoScaled) {
  struct Case {
    int64_t bpm;
    int rowsPerQuarter, speed, tempo;
  } cases[] = {
      {120, 4, 6, 120},   {300, 4, 5, 250},  {120, 3, 8, 120}, {90, 3, 8, 90},
      {120, 16, 1, 80},   // 24 / 16 = 1.5: speeds 1 and 2 tie, the smaller wins
      {120, 24, 1, 120},  {30, 24, 2, 60},   // speed 1 would give tempo 30
      {6, 4, 20, 32},     {60000000, 4, 1, 255},
  };
  for (const Case& c : cases) {
    const TrackTiming t = TimingFor(c.bpm, c.rowsPerQuarter);
    EXPECT_EQ(std::make_pair(t.speed, t.tempo), std::make_pair(c.speed, c.tempo)) << c.bpm << " " << c.rowsPerQuarter;
  }
  // On the sixteenth grid it is the song's one tempo as it always was.
  for (int32_t bpm = 1; bpm <= 3000; ++bpm) {
    const TrackTiming a = TimingFor(bpm, 4), b = TrackTimingFor(bpm);
    ASSERT_EQ(std::make_pair(a.speed, a.tempo), std::make_pair(b.speed, b.tempo)) << bpm;
  }
  EXPECT_EQ(BpmOf(666667), 90) << "halves up, not cut";
  EXPECT_EQ(BpmOf(480000), 125);
}

TEST(TempoChanges, NeverOverwriteAnEffectAndMoveOnWhenTheRowIsFull) {
  PatternGrid cells(1, 4);
  // Row 1: every column the changes may use is taken but one (DPCM's).
  for (int c = 1; c <= kTrackerChannelCount; ++c)
    for (Effect& e : cells.at(0, 1, c).effects) e = Effect{'V', 1};
  cells.at(0, 1, 5).effects[0] = Effect{};
  Song song;
  song.division = 48;
  song.tempos = {{0, 500000}, {3 * 12, 200000}};  // 300 BPM at row 1: speed 5 and tempo 250, two columns
  Grid grid;
  WriteTempoChanges(song, grid, TimingFor(120, 4), cells);
  EXPECT_EQ(cells.at(0, 1, 5).effects[0].command, 0) << "not split over two rows";
  EXPECT_EQ(cells.at(0, 2, 1).effects[1].value, 5);
  EXPECT_EQ(cells.at(0, 2, 1).effects[2].value, 250);
  EXPECT_EQ(cells.at(0, 2, 1).effects[0].command, 0) << "column 1 is the V's";
}

}  // namespace
}  // namespace tonvert
