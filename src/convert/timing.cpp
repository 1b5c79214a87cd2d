#include "convert/timing.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>
#include <vector>

namespace tonvert {

namespace {

// Far past any frame a song can hold, and still safe to add a frame to.
constexpr int64_t kFarRow = INT64_C(1) << 56;

constexpr int64_t kDefaultBpm = 120;  // a Standard MIDI File without Set Tempo

bool operator==(TrackTiming a, TrackTiming b) { return a.speed == b.speed && a.tempo == b.tempo; }

int64_t CeilDiv(int64_t a, int64_t b) { return a / b + (a % b != 0 ? 1 : 0); }

// The effect columns the tempo changes may use, first choice first: column 1
// of the pulse channels is their V, so their other columns come first, then
// the single columns of the others.
std::vector<std::pair<int, size_t>> TempoColumns() {
  std::vector<std::pair<int, size_t>> columns;
  for (bool pulse : {true, false})
    for (int c = 1; c <= kTrackerChannelCount; ++c)
      if (TrackerChannel(c).pulse == pulse)
        for (int k = pulse ? 1 : 0; k < TrackerChannel(c).effectColumns; ++k)
          columns.emplace_back(c, static_cast<size_t>(k));
  return columns;
}

// Puts the effects into the first free columns of the row, all or none.
bool PlaceEffects(PatternGrid& cells, int64_t row, const std::vector<Effect>& effects) {
  static const std::vector<std::pair<int, size_t>> kColumns = TempoColumns();
  const int64_t frame = row / cells.rows(), inFrame = row % cells.rows();
  std::vector<Effect*> free;
  for (const auto& [channel, k] : kColumns) {
    Effect& slot = cells.at(frame, inFrame, channel).effects[k];
    if (slot.command == 0) free.push_back(&slot);
    if (free.size() == effects.size()) break;
  }
  if (free.size() < effects.size()) return false;
  for (size_t i = 0; i < effects.size(); ++i) *free[i] = effects[i];
  return true;
}

}  // namespace

int FitRowsPerQuarter(const Song& song) {
  const int64_t quarter = 3 * int64_t{song.division};
  constexpr size_t kGrids = std::size(kFitRowsPerQuarter);
  int64_t total = 0;
  std::array<int64_t, kGrids> onRow{};
  for (const Note& note : song.notes) {
    if (note.length == 0) continue;
    ++total;
    const int64_t inQuarter = note.start % quarter;
    for (size_t g = 0; g < kGrids; ++g) {
      // How far into its row the start lies, in 1/quarter of a row.
      const int64_t into = inQuarter * kFitRowsPerQuarter[g] % quarter;
      if (10 * std::min(into, quarter - into) <= quarter) ++onRow[g];
    }
  }
  size_t best = 0;
  for (size_t g = 0; g < kGrids; ++g) {
    if (20 * onRow[g] >= 19 * total) return kFitRowsPerQuarter[g];
    if (onRow[g] > onRow[best]) best = g;
  }
  return kFitRowsPerQuarter[best];
}

int64_t RowAt(int64_t time, const Grid& grid) {
  const int64_t ticks = grid.ticksPerRow, divisor = grid.rowDivisor;
  time = std::max<int64_t>(time, 0);
  const int64_t whole = time / ticks;
  // The plain grid: whole rows of whole time units, each note on the row at
  // or before it.
  if (divisor == 1 && !grid.nearestRow) return std::min(whole, kFarRow);
  if (whole > kFarRow / divisor) return kFarRow;
  // Less than ticks x divisor: a fractional row never overflows.
  const int64_t part = time % ticks * divisor;
  int64_t row = whole * divisor + part / ticks;
  if (grid.nearestRow && part % ticks >= ticks - part % ticks) ++row;
  return row;
}

int32_t FramesNeeded(const Song& song, const Grid& grid) {
  const int64_t rows = grid.rowsPerPattern;
  int64_t frames;
  if (grid.nearestRow) {
    frames = CeilDiv(RowAt(song.end, grid), rows);
  } else {
    // The frame the song's end lies in, unless it ends right on a frame's start.
    const int64_t frameLength = rows * grid.ticksPerRow;
    const int64_t whole = song.end / frameLength;
    frames = whole > kMaxFrames ? whole : whole * grid.rowDivisor + CeilDiv(song.end % frameLength * grid.rowDivisor, frameLength);
  }
  for (size_t i = 0; i < song.notes.size() && frames <= kMaxFrames; ++i) {
    const Note& note = song.notes[i];
    // A note that no note-off closes and that starts at the song's end on a
    // frame boundary (a lone note-on at time 0, say) needs the frame it starts
    // in; rounded to the nearest row, any note may start in the frame after
    // its time's.
    const bool startsLate = grid.nearestRow ? note.length != 0 : !note.closed && note.start == song.end;
    if (startsLate) frames = std::max(frames, RowAt(note.start, grid) / rows + 1);
  }
  return static_cast<int32_t>(std::min<int64_t>(frames, kMaxFrames));
}

int64_t BpmOf(uint32_t microsecondsPerQuarter) {
  const int64_t us = std::max<int64_t>(microsecondsPerQuarter, 1);
  return (120000000 + us) / (2 * us);
}

TrackTiming TimingFor(int64_t bpm, int rowsPerQuarter) {
  const int64_t q = rowsPerQuarter;
  // Speed 24 / q with tempo = BPM plays the song at its own tempo: the tracker
  // plays tempo / (2.5 x speed) rows a second.
  const auto tempoAt = [&](int64_t speed) { return (2 * bpm * q * speed + 24) / 48; };  // halves up
  int best = 0;
  for (int s = 1; s <= 20; ++s) {
    const int64_t t = tempoAt(s);
    if (t < 32 || t > 255) continue;
    if (best == 0 || std::abs(s * q - 24) < std::abs(best * q - 24)) best = s;
  }
  if (best != 0) return {best, static_cast<int>(tempoAt(best))};
  return tempoAt(20) < 32 ? TrackTiming{20, 32} : TrackTiming{1, 255};
}

TrackTiming StartTiming(const Song& song, const Grid& grid, bool tempoChanges) {
  int64_t bpm = kDefaultBpm;
  if (tempoChanges) {
    for (const TempoChange& change : song.tempos)
      if (change.time == 0) bpm = BpmOf(change.microsecondsPerQuarter);
  } else if (!song.tempos.empty()) {
    bpm = BpmOf(song.tempos.back().microsecondsPerQuarter);
  }
  return TimingFor(bpm, grid.rowsPerQuarter);
}

void WriteTempoChanges(const Song& song, const Grid& grid, TrackTiming start, PatternGrid& cells) {
  std::vector<TempoChange> later;
  for (const TempoChange& change : song.tempos)
    if (change.time > 0) later.push_back(change);
  // Tracks are read one after the other; at one time the one read last wins.
  std::stable_sort(later.begin(), later.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.time < b.time; });

  const int64_t rowCount = int64_t{cells.frames()} * cells.rows();
  struct RowTempo {
    int64_t row;
    int64_t bpm;
  };
  std::vector<RowTempo> byRow;  // the last change within each row
  for (const TempoChange& change : later) {
    const int64_t row = RowAt(change.time, grid);
    if (row >= rowCount) break;
    const int64_t bpm = BpmOf(change.microsecondsPerQuarter);
    if (!byRow.empty() && byRow.back().row == row)
      byRow.back().bpm = bpm;
    else
      byRow.push_back({row, bpm});
  }

  TrackTiming now = start;
  for (size_t i = 0; i < byRow.size(); ++i) {
    const TrackTiming wanted = TimingFor(byRow[i].bpm, grid.rowsPerQuarter);
    if (wanted == now) continue;
    std::vector<Effect> effects;
    // Speeds stay below the split point 21, tempos at 32 or above.
    if (wanted.speed != now.speed) effects.push_back(Effect{'F', static_cast<uint8_t>(wanted.speed)});
    effects.push_back(Effect{'F', static_cast<uint8_t>(wanted.tempo)});
    // A row without room passes the change on; the next change, once reached, wins.
    const int64_t until = i + 1 < byRow.size() ? byRow[i + 1].row : rowCount;
    for (int64_t row = byRow[i].row; row < until; ++row) {
      if (PlaceEffects(cells, row, effects)) {
        now = wanted;
        break;
      }
    }
  }
}

}  // namespace tonvert
