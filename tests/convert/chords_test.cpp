// Chords and channels: spread columns, arpeggios, drum priority, the suggested
// mapping and the summary, each on the smallest song that shows it.
#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <vector>

#include "conversion_fixture.h"
#include "convert/mapping_suggestion.h"
#include "convert/summary.h"

namespace tonvert {
namespace {

using test::WriteFile;

// Division 12: a row (36 units) is 12 ticks.
constexpr int kRow = 12;
const std::set<Option> kPlain{}, kSpread{Option::SpreadChords}, kArpeggios{Option::Arpeggios},
    kBoth{Option::SpreadChords, Option::Arpeggios};

struct CellCase {
  int row, channel;
  std::string cell;
};

class Chords : public ConversionTest {
 protected:
  Chords() {
    instrumentsIni = "[0]\nMidiInstrument=Lead\nFTInstrumentVar=2\n";
    drumsIni = "[36]\nname=Kick\nkey=1-#\npriority=4\n[42]\nname=Hat\nkey=D-#\npriority= 1\n";
  }
  void Map(const std::string& readable) {
    std::string problem;
    ASSERT_TRUE(ApplyReadableMapperText(ui.mapper, readable, problem)) << problem;
  }
  void ExpectCells(const std::vector<CellCase>& cells, const std::string& label) {
    for (const CellCase& c : cells)
      EXPECT_EQ(Cell(0, c.row, c.channel), c.cell) << label << ", row " << c.row << ", channel " << c.channel;
  }
};

// Notes of MIDI channel 1 as (start row, key, rows long), in this order in the file.
Track Notes(std::initializer_list<std::array<int, 3>> notes) {
  // Note-ons and note-offs at their absolute ticks, sorted.
  std::vector<std::array<int, 3>> events;  // tick, key, on
  for (const auto& n : notes) {
    events.push_back({n[0] * kRow, n[1], 1});
    events.push_back({(n[0] + n[2]) * kRow, n[1], 0});
  }
  std::stable_sort(events.begin(), events.end(), [](const auto& a, const auto& b) {
    return a[0] != b[0] ? a[0] < b[0] : a[2] < b[2];  // offs first
  });
  Track t;
  int at = 0;
  for (const auto& e : events) {
    if (e[2]) t.NoteOn(static_cast<uint32_t>(e[0] - at), 0, e[1], 100);
    else t.NoteOff(static_cast<uint32_t>(e[0] - at), 0, e[1]);
    at = e[0];
  }
  return t.End();
}

TEST_F(Chords, AHeldChordSpreadsOverThreeColumnsTopNoteLeftmost) {
  Map("pulse1=1,pulse2=1,mmc5a=1");
  // C-E-G held four rows, listed low to high; D-5 at row 2 finds every column
  // sounding and cuts the leftmost; a two-note chord at row 6 finds them free.
  const Track song = Notes({{0, 60, 4}, {0, 64, 4}, {0, 67, 4}, {2, 74, 1}, {6, 62, 2}, {6, 65, 2}});
  const std::string off = "--- .. . ... ... ... ...", none = "... .. . ... ... ... ...";
  struct Case {
    std::set<Option> options;
    std::vector<CellCase> cells;
  } cases[] = {
      {kSpread,
       {{0, 1, "G-4 00 C V02 ... ... ..."}, {0, 2, "E-4 00 C V02 ... ... ..."}, {0, 6, "C-4 00 C V02 ... ... ..."},
        {2, 1, "D-5 00 C V02 ... ... ..."}, {2, 2, none}, {3, 1, off}, {4, 1, off}, {4, 2, off}, {4, 6, off},
        {6, 1, "F-4 00 C V02 ... ... ..."}, {6, 2, "D-4 00 C V02 ... ... ..."}, {6, 6, none}}},
      // Without spread, only the first column plays, in the file's order.
      {kPlain,
       {{0, 1, "C-4 00 C V02 ... ... ..."}, {0, 2, none}, {2, 1, "D-5 00 C V02 ... ... ..."}, {6, 1,
                                                                                          "D-4 00 C V02 ... ... ..."}}},
  };
  for (const Case& c : cases) {
    ui.options = c.options;
    ASSERT_EQ(Run(Smf(0, 12, {song})), RunOutcome::Written);
    ExpectCells(c.cells, c.options.empty() ? "plain" : "spread");
  }
}

TEST_F(Chords, FourNotesOnTwoColumnsPlayTheRestAsArpeggiosEndedBy000) {
  Map("pulse1=1,pulse2=1");
  // C-4 E-4 G-4 C-5 (the shortest lowest); then D-4 F#4 A-4 held long, cut at
  // row 10 by a lone C-4 that comes before the held chord's end.
  const Track song = Notes({{0, 60, 2}, {0, 64, 3}, {0, 67, 4}, {0, 72, 4}, {8, 62, 8}, {8, 66, 8}, {8, 69, 8},
                            {10, 60, 2}});
  struct Case {
    std::set<Option> options;
    std::vector<CellCase> cells;
  } cases[] = {
      {kBoth,
       {{0, 1, "C-5 00 C V02 04C ... ..."},  // E-4 and C-4 raised an octave: 4 and 12 above
        {0, 2, "G-4 00 C V02 ... ... ..."},
        {2, 1, "... .. . ... 000 ... ..."},  // C-4, the first lost note, ends
        {8, 1, "A-4 00 C V02 050 ... ..."},
        {8, 2, "F#4 00 C V02 ... ... ..."},
        {10, 1, "C-4 00 C V02 000 ... ..."}}},  // the next note comes before D-4 ends
      // Arpeggios alone: one column, the two longest lost notes (G-4, E-4).
      {kArpeggios,
       {{0, 1, "C-5 00 C V02 047 ... ..."}, {0, 2, "... .. . ... ... ... ..."}, {2, 1, "... .. . ... ... ... ..."},
        {3, 1, "... .. . ... 000 ... ..."}, {8, 1, "A-4 00 C V02 059 ... ..."}, {10, 1, "C-4 00 C V02 000 ... ..."}}},
      {kSpread, {{0, 1, "C-5 00 C V02 ... ... ..."}, {2, 1, "... .. . ... ... ... ..."}}},
  };
  for (const Case& c : cases) {
    ui.options = c.options;
    ASSERT_EQ(Run(Smf(0, 12, {song})), RunOutcome::Written);
    ExpectCells(c.cells, c.options.size() == 2 ? "both" : c.options.count(Option::Arpeggios) ? "arpeggios" : "spread");
  }
}

TEST_F(Chords, ArpeggiosKeepToTheTriangleAndFreeColumns) {
  // The triangle's single column takes it.
  Map("triangle=1");
  ui.options = kArpeggios;
  const Track song = Notes({{0, 48, 2}, {0, 55, 2}, {4, 50, 1}});
  ASSERT_EQ(Run(Smf(0, 12, {song})), RunOutcome::Written);
  EXPECT_EQ(Cell(0, 0, 3), "G-3 00 C 050");  // C-3 is 7 below: an octave up, 5 above
  EXPECT_EQ(Cell(0, 2, 3), "--- .. . 000");
  EXPECT_EQ(Cell(0, 4, 3), "D-3 00 C ...");
}

TEST_F(Chords, OfAKickAndAHatOnOneRowTheHigherPriorityKeepsTheNoiseCell) {
  // The hat first in the file, three rows long; the kick one row.
  const Track song = Track().NoteOn(0, 9, 42, 100).NoteOn(0, 9, 36, 100).NoteOff(kRow, 9, 36)
                         .NoteOff(2 * kRow, 9, 42).End();
  struct Case {
    std::string drums;
    std::vector<CellCase> cells;
  } cases[] = {
      {drumsIni, {{0, 4, "1-# 01 C ..."}, {1, 4, "--- .. . ..."}, {3, 4, "... .. . ..."}}},  // no hat note-off
      {"[36]\nname=Kick\nkey=1-#\n[42]\nname=Hat\nkey=D-#\n",
       {{0, 4, "D-# 02 C ..."}, {1, 4, "... .. . ..."}, {3, 4, "--- .. . ..."}}},  // a tie: as placed
  };
  for (const Case& c : cases) {
    drumsIni = c.drums;
    ui.options = kBoth;  // the options change nothing here
    ASSERT_EQ(Run(Smf(0, 12, {song})), RunOutcome::Written);
    ExpectCells(c.cells, c.drums);
  }
}

TEST_F(Chords, AutoMapsDrumsBassMelodyAndChords) {
  // MIDI 1 a melody, 2 a low single-note bass, 5 three-note chords, 10 drums.
  Track melody, bass, chords, drums;
  for (int i = 0; i < 16; ++i) melody.NoteOn(i ? kRow : 0, 0, 72 + i % 5, 100).NoteOff(kRow, 0, 72 + i % 5);
  for (int i = 0; i < 8; ++i) bass.NoteOn(i ? 2 * kRow : 0, 1, 36 + i % 3, 100).NoteOff(2 * kRow, 1, 36 + i % 3);
  for (int i = 0; i < 4; ++i)
    chords.NoteOn(i ? 4 * kRow : 0, 4, 60, 90).NoteOn(0, 4, 64, 90).NoteOn(0, 4, 67, 90).NoteOff(4 * kRow, 4, 60)
        .NoteOff(0, 4, 64).NoteOff(0, 4, 67);
  for (int i = 0; i < 8; ++i) drums.NoteOn(i ? 2 * kRow : 0, 9, 36, 100).NoteOff(kRow, 9, 36);
  WriteFile(dir / "song.mid", Smf(1, 12, {melody.End(), bass.End(), chords.End(), drums.End()}));
  struct Case {
    std::set<Option> options;
    std::string midiPath, mapping;
  } cases[] = {
      {kPlain, "song.mid", "pulse1=1,pulse2=5,triangle=2,noise=10"},
      {kSpread, "song.mid", "pulse1=1,pulse2=5,triangle=2,noise=10,mmc5a=5,mmc5b=5"},
      {kPlain, "none.mid", "pulse1=16"},  // "Bad file": nothing changes
  };
  for (const Case& c : cases) {
    ui.options = c.options;
    ui.fields[Field::MidiPath] = dir / c.midiPath;
    ui.messages.clear();
    AssignmentTable boxes;
    Map("pulse1=16");
    ApplyMapperText(boxes, MapperText(ui.mapper));
    SuggestMappingFor(ui, boxes);
    EXPECT_EQ(ReadableMapperText(boxes), c.mapping) << c.midiPath;
    EXPECT_EQ(ui.MessageTexts(), c.midiPath == "none.mid" ? std::vector<std::string>{"Bad file"}
                                                          : std::vector<std::string>{});
  }
}

TEST_F(Chords, TheSummaryCountsEachNoteByItsFate) {
  // Pulse 1 plays MIDI 1 and 2, Noise 10; MIDI 4 is mapped nowhere. Rows of
  // one row a pattern: 128 rows in all.
  Map("pulse1=1+2,noise=10");
  ui.fields[Field::Rows] = "1";
  options.summary = &summary;
  Track t;
  t.NoteOn(0, 0, 72, 100).NoteOn(0, 0, 67, 100).NoteOn(0, 0, 64, 3)  // kept, chord, too quiet
      .NoteOn(0, 1, 48, 100)                                          // another channel's cell
      .NoteOn(0, 9, 42, 100).NoteOn(0, 9, 36, 100).NoteOn(0, 9, 50, 100)  // hat merged, kick, undefined
      .NoteOn(0, 3, 60, 100).NoteOn(0, 3, 62, 100)                        // unmapped
      .NoteOn(0, 0, 50, 100).NoteOff(0, 0, 50);                           // length 0: not counted
  t.NoteOff(kRow, 0, 72).NoteOff(0, 0, 67).NoteOff(0, 0, 64).NoteOff(0, 1, 48).NoteOff(0, 9, 42).NoteOff(0, 9, 36)
      .NoteOff(0, 9, 50).NoteOff(0, 3, 60).NoteOff(0, 3, 62);
  t.NoteOn(130 * kRow, 0, 60, 100).NoteOff(kRow, 0, 60);  // past 128 frames
  struct Case {
    std::set<Option> options;
    std::string pulse1;
  } cases[] = {
      {kPlain, "pulse1   MIDI 1+2         placed 1, lost 4: 1 velocity below 8, 1 past 128 frames, 1 chord, 1 other "
               "channel\n"},
      {kArpeggios, "pulse1   MIDI 1+2         placed 2 (1 in arpeggios), lost 3: 1 velocity below 8, 1 past 128 "
                   "frames, 1 other channel\n"},
  };
  for (const Case& c : cases) {
    ui.options = c.options;
    ASSERT_EQ(Run(Smf(0, 12, {t.End()})), RunOutcome::Written);
    const int64_t kept = c.options.empty() ? 3 : 4;
    EXPECT_EQ(summary, c.pulse1 +
                           "pulse2   MIDI -           placed 0, lost 0\n"
                           "triangle MIDI -           placed 0, lost 0\n"
                           "noise    MIDI 10          placed 2 (1 merged drums), lost 1: 1 undefined drum\n"
                           "dpcm     MIDI -           placed 0, lost 0\n"
                           "mmc5a    MIDI -           placed 0, lost 0\n"
                           "mmc5b    MIDI -           placed 0, lost 0\n"
                           "Unmapped: 2 notes (MIDI channels 4)\n"
                           "Kept " + std::to_string(kept) + " of 10 notes (" + (kept == 3 ? "30.0" : "40.0") + " %)\n");
  }
}

TEST(Summary, ThousandsAndTenthsRoundHalfUp) {
  EXPECT_EQ(GroupedDecimal(7102), "7,102");
  EXPECT_EQ(GroupedDecimal(1234567), "1,234,567");
  EXPECT_EQ(GroupedDecimal(999), "999");
  Song song;
  Placement none{PatternGrid(0, 1), false, {}, {}};
  test::FakeFrontEnd routing;
  const std::string empty = SummaryText(song, none, routing, false);
  EXPECT_EQ(empty.substr(empty.rfind("Kept")), "Kept 0 of 0 notes (100.0 %)\n");
  // 1 of 8 is 12.5 %; 1 of 16 is 6.25 %, shown 6.3.
  for (const auto& [of, text] : {std::pair<int, const char*>{8, "(12.5 %)"}, {16, "(6.3 %)"}, {3, "(33.3 %)"},
                                 {6, "(16.7 %)"}}) {
    Song s;
    s.notes.resize(static_cast<size_t>(of));
    Placement p{PatternGrid(0, 1), false, std::vector<NoteFate>(static_cast<size_t>(of)), {}};
    for (NoteFate& f : p.fates) f = NoteFate{Fate::LostToOther, 1, 0, -1};
    p.fates[0].fate = Fate::Placed;
    EXPECT_NE(SummaryText(s, p, routing, false).find(text), std::string::npos) << of;
  }
}

}  // namespace
}  // namespace tonvert
