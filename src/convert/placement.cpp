#include "convert/placement.h"

#include <algorithm>

#include "common/front_end.h"
#include "convert/timing.h"
#include "convert/chords.h"

namespace tonvert {

namespace {

constexpr int kStatusEvery = 31;

uint8_t InstrumentCell(int64_t number) {
  // Instruments above 3F are left out of the document; their cells name none.
  return (number >= 0 && number <= kMaxTrackerInstrument) ? static_cast<uint8_t>(number) : Cell::kNone;
}

// The leftmost tracker channel whose box for the note's MIDI channel is
// checked: a MIDI channel checked in several columns plays in one of them.
int RoutedChannel(ChannelRouting& routing, int midiChannel) {
  for (int c = 1; c <= kTrackerChannelCount; ++c)
    if (routing.IsChannelMapped(c, midiChannel)) return c;
  return 0;
}

// The cell a note plays in on `channel`; false when it has nothing to play.
bool MakeCell(const Note& note, int channel, const InstrumentSet& instruments, int transpose, Cell& cell) {
  if (note.channel == kDrumChannel) {
    const DrumSound& drum = instruments.drums[static_cast<size_t>(note.key)];
    // The key texts are noise pitches, which the tracker refuses on every
    // other channel: there a drum plays its MIDI key with its instrument.
    const bool noise = TrackerChannel(channel).noise;
    // A drum without an instrument or key text has nothing to play: placing a
    // silent cell would only erase or cut real notes.
    if (drum.instrument < 1 || (noise && drum.keyText.empty())) return false;
    cell.kind = noise ? Cell::Drum : Cell::Melodic;
    cell.value = static_cast<uint8_t>(note.key);
    cell.instrument = InstrumentCell(drum.instrument);
  } else {
    const int key = std::clamp(note.key + transpose, 0, 127);
    if (TrackerChannel(channel).noise) {
      // Noise cells carry a pitch 0-F; melodic names there are misread.
      cell.kind = Cell::Noise;
      cell.value = static_cast<uint8_t>((12 * Octave(key) + key % 12) % 16);
    } else {
      cell.kind = Cell::Melodic;
      cell.value = static_cast<uint8_t>(key);
    }
    cell.instrument = InstrumentCell(instruments.programInstrument[static_cast<size_t>(note.program)]);
  }
  if (TrackerChannel(channel).pulse) {
    // A drum on a pulse channel plays the narrowest duty: its instrument has
    // no duty of its own, and the previous note's V would linger otherwise.
    const uint8_t duty =
        note.channel == kDrumChannel ? 0 : instruments.dutyEffect[static_cast<size_t>(note.program)];
    cell.effects[0] = Effect{'V', duty};
  }
  // MIDI velocity 0-127 onto the tracker's volume 0-15.
  cell.volume = static_cast<uint8_t>(std::min(note.velocity / 8, 15));
  return true;
}

// A position on the grid: the frame and the row within it.
struct GridPosition {
  int64_t frame;
  int64_t row;
};

GridPosition PositionOf(int64_t time, const Grid& grid) {
  const int64_t row = RowAt(time, grid);
  return {row / grid.rowsPerPattern, row % grid.rowsPerPattern};
}

// Where a note's note-off goes. A note shorter than a row would have it in its
// own cell and ring on, on the triangle maybe to the song's end: it ends a row
// later. Drums end by themselves, and nearly every hit is that short.
GridPosition EndOf(const Note& note, const GridPosition& start, const Grid& grid) {
  GridPosition end = PositionOf(note.end, grid);
  if (end.frame == start.frame && end.row == start.row && note.channel != kDrumChannel) {
    if (++end.row == grid.rowsPerPattern) {
      end.row = 0;
      ++end.frame;
    }
  }
  return end;
}

}  // namespace

PatternGrid::PatternGrid(int32_t frames, int32_t rows)
    : frames_(frames),
      rows_(rows),
      cells_(static_cast<size_t>(frames + 1) * static_cast<size_t>(rows + 1) * kTrackerChannelCount) {}

Placement PlaceNotes(const Song& song, const Grid& grid, const InstrumentSet& instruments,
                     ChannelRouting& routing, Progress& progress, const PlacementOptions& options) {
  Placement out{PatternGrid(FramesNeeded(song, grid), grid.rowsPerPattern), false, {}, {}};
  out.owner.assign(out.grid.size(), kNoOwner);
  // The grid holds one frame more than is written: a note-off at the very end
  // of the song lands there instead of needing a check.
  const auto inGrid = [&out](const GridPosition& p) { return p.frame <= kMaxFrames && p.frame <= out.grid.frames(); };
  const auto rowOf = [&grid](const GridPosition& p) { return p.frame * grid.rowsPerPattern + p.row; };

  out.fates.resize(song.notes.size());
  for (size_t i = 0; i < song.notes.size(); ++i) {
    const Note& note = song.notes[i];
    const GridPosition start = PositionOf(note.start, grid);
    out.fates[i].startRow = rowOf(start);
    const GridPosition end = EndOf(note, start, grid);
    if (note.closed && inGrid(end)) out.fates[i].endRow = rowOf(end);
  }
  const std::vector<uint32_t> order = PlacingOrder(song, out.fates, options);
  ColumnState columns(out.grid.size());

  for (size_t i = 0; i < order.size(); ++i) {
    if (i % kStatusEvery == 0) progress.Step(Stage::Note, static_cast<int64_t>(i));
    const Note& note = song.notes[order[i]];
    NoteFate& fate = out.fates[order[i]];
    if (note.length == 0) continue;

    const int routed = RoutedChannel(routing, note.channel);
    if (routed == 0) {
      fate.fate = Fate::Unmapped;
      continue;
    }
    fate.channel = static_cast<uint8_t>(routed);
    const GridPosition start{fate.startRow / grid.rowsPerPattern, fate.startRow % grid.rowsPerPattern};
    const int channel = options.spread ? SpreadColumn(out.grid, columns, routing, note.channel, start.frame,
                                                      start.row, fate.startRow)
                                       : routed;
    Cell cell;
    const bool playable = MakeCell(note, channel, instruments, options.transpose[static_cast<size_t>(channel - 1)], cell);
    // The first cause that applies names a lost note.
    fate.fate = note.velocity < 8 ? Fate::Quiet
                : !playable       ? Fate::Undefined
                : start.frame >= out.grid.frames() ? Fate::PastEnd
                                                   : Fate::Placed;
    if (!playable) continue;
    if (start.frame >= kMaxFrames) out.songCut = true;
    if (!inGrid(start)) continue;
    // Velocities below 8 are too quiet for the tracker's volume column.
    if (cell.volume == 0) continue;

    const size_t at = out.grid.Index(start.frame, start.row, channel);
    Cell& target = out.grid.at(start.frame, start.row, channel);
    if (target.kind != Cell::Empty && target.kind != Cell::NoteOff) {
      // The earlier note keeps its cell, unless two drums meet on Noise and
      // drums.ini ranks the later one higher.
      const int32_t holder = out.owner[at];
      const bool drums = target.kind == Cell::Drum && cell.kind == Cell::Drum && TrackerChannel(channel).noise;
      if (drums && holder != kNoOwner &&
          instruments.drums[cell.value].priority > instruments.drums[target.value].priority) {
        NoteFate& beaten = out.fates[static_cast<size_t>(holder)];
        beaten.fate = Fate::Merged;
        columns.DropNoteOff(out.grid, beaten);
      } else {
        if (fate.fate == Fate::Placed)
          fate.fate = drums ? Fate::Merged
                      : holder != kNoOwner && song.notes[static_cast<size_t>(holder)].channel == note.channel
                          ? Fate::LostToChord
                          : Fate::LostToOther;
        continue;
      }
    }
    target = cell;
    out.owner[at] = static_cast<int32_t>(order[i]);
    fate.channel = static_cast<uint8_t>(channel);

    // A note that never ends gets no note-off.
    const bool ends = fate.endRow >= 0;
    columns.Sounds(channel, ends ? fate.endRow : INT64_MAX);
    if (!ends) continue;
    const GridPosition end{fate.endRow / grid.rowsPerPattern, fate.endRow % grid.rowsPerPattern};
    Cell& off = out.grid.at(end.frame, end.row, channel);
    if (off.kind == Cell::Empty) off.kind = Cell::NoteOff;
    columns.WantsNoteOff(out.grid.Index(end.frame, end.row, channel));
  }
  // The status steps keep their pace over the slots no note fills.
  for (size_t i = song.notes.size(); i < static_cast<size_t>(kNoteSlots); ++i)
    if (i % kStatusEvery == 0) progress.Step(Stage::Note, static_cast<int64_t>(i));
  return out;
}

}  // namespace tonvert
