#include "convert/chords.h"

#include <algorithm>

#include "common/front_end.h"

namespace tonvert {

namespace {

bool PlaysArpeggios(int channel) { return TrackerChannel(channel).pulse || channel == kTriangleChannel; }

bool HoldsNote(const Cell& cell) {
  return cell.kind == Cell::Melodic || cell.kind == Cell::Noise || cell.kind == Cell::Drum;
}

// The first effect column free for an arpeggio; column 1 of a pulse channel is
// its V. -1 when all are taken.
int FreeEffectColumn(const Cell& cell, int channel) {
  for (int k = TrackerChannel(channel).pulse ? 1 : 0; k < TrackerChannel(channel).effectColumns; ++k)
    if (cell.effects[static_cast<size_t>(k)].command == 0) return k;
  return -1;
}

bool StartsArpeggio(const Cell& cell) {
  return std::any_of(cell.effects.begin(), cell.effects.end(),
                     [](const Effect& e) { return e.command == '0' && e.value != 0; });
}

// A lost note's distance above the kept note, moved by octaves into the 1-15
// semitones an effect digit holds. Not for unisons.
int StepAbove(int semitones) {
  while (semitones < 1) semitones += 12;
  while (semitones > 15) semitones -= 12;
  return semitones;
}

struct Arpeggio {
  int64_t row;      // rows from the song's start
  int channel;
  int column;       // the effect column of its 0xy
  int64_t endsAt;   // the row its first lost note ends on, -1 for none
  std::vector<uint32_t> notes;
};

}  // namespace

std::vector<uint32_t> PlacingOrder(const Song& song, const std::vector<NoteFate>& fates,
                                   const PlacementOptions& options) {
  std::vector<uint32_t> order(song.notes.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
  if (!options.spread && !options.arpeggios) return order;
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    const Note& x = song.notes[a];
    const Note& y = song.notes[b];
    if (fates[a].startRow != fates[b].startRow) return fates[a].startRow < fates[b].startRow;
    if (x.channel != y.channel) return x.channel < y.channel;
    if (x.key != y.key) return x.key > y.key;
    return a < b;
  });
  return order;
}

void ColumnState::WantsNoteOff(size_t cell) {
  if (offs_[cell] < 255) ++offs_[cell];
}

void ColumnState::DropNoteOff(PatternGrid& grid, const NoteFate& fate) {
  if (fate.endRow < 0) return;
  const int64_t frame = fate.endRow / grid.rows(), row = fate.endRow % grid.rows();
  uint8_t& wanted = offs_[grid.Index(frame, row, fate.channel)];
  if (wanted == 255 || wanted == 0) return;
  Cell& cell = grid.at(frame, row, fate.channel);
  if (--wanted == 0 && cell.kind == Cell::NoteOff) cell.kind = Cell::Empty;
}

int SpreadColumn(const PatternGrid& grid, const ColumnState& columns, ChannelRouting& routing, int midiChannel,
                 int64_t frame, int64_t row, int64_t songRow) {
  int first = 0, firstEmpty = 0;
  for (int c = 1; c <= kTrackerChannelCount; ++c) {
    if (!routing.IsChannelMapped(c, midiChannel)) continue;
    if (first == 0) first = c;
    // Past the grid the note is lost anyway.
    if (frame > grid.frames() || frame > kMaxFrames) return first;
    const Cell::Kind kind = grid.at(frame, row, c).kind;
    if (kind != Cell::Empty && kind != Cell::NoteOff) continue;
    if (columns.SoundsUntil(c) <= songRow) return c;
    if (firstEmpty == 0) firstEmpty = c;
  }
  return firstEmpty != 0 ? firstEmpty : first;
}

void AddArpeggios(const Song& song, Placement& placement) {
  PatternGrid& grid = placement.grid;
  std::vector<NoteFate>& fates = placement.fates;
  const int64_t rows = grid.rows();
  const int64_t writtenRows = int64_t{grid.frames()} * rows;
  const auto cellAt = [&](int64_t songRow, int channel) -> Cell& {
    return grid.at(songRow / rows, songRow % rows, channel);
  };

  // Each lost chord note, with the note its MIDI channel kept leftmost on its
  // row; that may lie right of a column another MIDI channel took.
  std::vector<std::pair<int32_t, uint32_t>> lost;
  for (size_t i = 0; i < song.notes.size(); ++i) {
    const NoteFate& fate = fates[i];
    const Note& note = song.notes[i];
    if ((fate.fate != Fate::LostToChord && fate.fate != Fate::LostToOther) || note.channel == kDrumChannel ||
        fate.startRow >= writtenRows)
      continue;
    int32_t kept = kNoOwner;
    int column = 1;
    for (; column <= kTrackerChannelCount && kept == kNoOwner; ++column) {
      const int32_t owner = placement.owner[grid.Index(fate.startRow / rows, fate.startRow % rows, column)];
      if (owner != kNoOwner && song.notes[static_cast<size_t>(owner)].channel == note.channel &&
          fates[static_cast<size_t>(owner)].fate == Fate::Placed)
        kept = owner;
    }
    if (kept == kNoOwner || !PlaysArpeggios(column - 1)) continue;
    lost.emplace_back(kept, static_cast<uint32_t>(i));
  }
  std::sort(lost.begin(), lost.end());

  std::vector<Arpeggio> arpeggios;
  for (size_t g = 0; g < lost.size();) {
    size_t end = g;
    while (end < lost.size() && lost[end].first == lost[g].first) ++end;
    const auto keptIndex = static_cast<size_t>(lost[g].first);
    const Note& kept = song.notes[keptIndex];
    std::vector<uint32_t> steps;
    for (size_t k = g; k < end; ++k) {
      const uint32_t i = lost[k].second;
      // A unison already sounds in the kept note.
      if (song.notes[i].key == kept.key)
        fates[i].fate = Fate::Arpeggio;
      else
        steps.push_back(i);
    }
    g = end;
    // The two that sound longest, as read on a tie.
    std::stable_sort(steps.begin(), steps.end(),
                     [&](uint32_t a, uint32_t b) { return song.notes[a].length > song.notes[b].length; });
    int x = 0, y = 0;
    for (uint32_t i : steps) {
      const int step = StepAbove(song.notes[i].key - kept.key);
      if (x == 0) x = step;
      else if (y == 0 && step != x) y = step;
    }
    if (x == 0) continue;
    const NoteFate& keptFate = fates[keptIndex];
    Cell& cell = cellAt(keptFate.startRow, keptFate.channel);
    const int column = FreeEffectColumn(cell, keptFate.channel);
    if (column < 0) continue;
    if (y != 0 && y < x) std::swap(x, y);
    cell.effects[static_cast<size_t>(column)] = Effect{'0', static_cast<uint8_t>(x << 4 | y)};
    Arpeggio arpeggio{keptFate.startRow, keptFate.channel, column, -1, {}};
    for (uint32_t i : steps) {
      const int step = StepAbove(song.notes[i].key - kept.key);
      if (step != x && step != y) continue;
      fates[i].fate = Fate::Arpeggio;
      arpeggio.notes.push_back(i);
      const int64_t endRow = fates[i].endRow;
      if (endRow >= 0 && (arpeggio.endsAt < 0 || endRow < arpeggio.endsAt)) arpeggio.endsAt = endRow;
    }
    arpeggios.push_back(std::move(arpeggio));
  }

  // The tracker keeps an arpeggio until 000. Each is ended on the row its first
  // lost note ends, or on the channel's next note; latest first, so that an
  // arpeggio knows whether the next note keeps its own.
  std::sort(arpeggios.begin(), arpeggios.end(), [](const Arpeggio& a, const Arpeggio& b) {
    return a.channel != b.channel ? a.channel < b.channel : a.row < b.row;
  });
  for (size_t k = arpeggios.size(); k-- > 0;) {
    const Arpeggio& a = arpeggios[k];
    int64_t next = a.row + 1;
    while (next < writtenRows && !HoldsNote(cellAt(next, a.channel))) ++next;
    const auto endOn = [&](int64_t songRow) {
      Cell& cell = cellAt(songRow, a.channel);
      const int column = FreeEffectColumn(cell, a.channel);
      if (column >= 0) cell.effects[static_cast<size_t>(column)] = Effect{'0', 0};
      return column >= 0;
    };
    bool ended = false;
    if (a.endsAt >= 0)
      for (int64_t r = std::max(a.endsAt, a.row + 1); r < next && !ended; ++r) ended = endOn(r);
    if (!ended && next < writtenRows) ended = StartsArpeggio(cellAt(next, a.channel)) || endOn(next);
    // With no later note on the channel, nothing can inherit it.
    if (!ended && next >= writtenRows) ended = true;
    if (ended) continue;
    // Nowhere to end it: the chord notes stay lost rather than haunt later notes.
    cellAt(a.row, a.channel).effects[static_cast<size_t>(a.column)] = Effect{};
    for (uint32_t i : a.notes) fates[i].fate = Fate::LostToChord;
  }
}

}  // namespace tonvert
