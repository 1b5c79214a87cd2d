// Puts the song's notes on the tracker's row grid: each note in the cell of the
// first tracker channel its MIDI channel is routed to. Placement decides cells,
// never text; the document writes them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "common/progress.h"
#include "convert/tracker_channels.h"
#include "instruments/instrument_set.h"
#include "midi/song.h"

namespace tonvert {

class ChannelRouting;

#ifdef TONVERT_FUZZ_MAX_FRAMES
constexpr int kMaxFrames = TONVERT_FUZZ_MAX_FRAMES;  // fuzz builds: short songs, many runs a second
#else
constexpr int kMaxFrames = 128;  // frames 00-7F are all a song can hold
#endif
constexpr int32_t kDefaultRowsPerPattern = 64;
constexpr int32_t kDefaultTicksPerRow = 36;  // a sixteenth at 48 ticks per quarter note

// The row grid of a run. Both values are positive.
struct Grid {
  int32_t rowsPerPattern = kDefaultRowsPerPattern;
  int64_t ticksPerRow = kDefaultTicksPerRow;  // in thirds of a MIDI tick, like the song's times
};

// One effect column: a command letter and its value; no letter means empty.
struct Effect {
  char command = 0;
  uint8_t value = 0;
};

// What one tracker channel holds at one row. Kept to a few bytes: the largest
// grid is 129 frames x 257 rows x 7 channels.
struct Cell {
  enum Kind : uint8_t { Empty, NoteOff, Melodic, Noise, Drum };
  static constexpr uint8_t kNone = 0xFF;

  Kind kind = Empty;
  uint8_t value = 0;           // MIDI key, noise pitch 0-15, or drum key
  uint8_t instrument = kNone;  // 00-3F, or kNone for ".."
  uint8_t volume = 0;          // 1-15; 0 for none
  std::array<Effect, kMaxEffectColumns> effects{};
};

class PatternGrid {
 public:
  PatternGrid(int32_t frames, int32_t rows);
  int32_t frames() const { return frames_; }
  int32_t rows() const { return rows_; }
  Cell& at(int64_t frame, int64_t row, int trackerChannel) { return cells_[Index(frame, row, trackerChannel)]; }
  const Cell& at(int64_t frame, int64_t row, int trackerChannel) const {
    return cells_[Index(frame, row, trackerChannel)];
  }

 private:
  size_t Index(int64_t frame, int64_t row, int trackerChannel) const {
    return (static_cast<size_t>(frame) * static_cast<size_t>(rows_ + 1) + static_cast<size_t>(row)) *
               kTrackerChannelCount +
           static_cast<size_t>(trackerChannel - 1);
  }
  int32_t frames_;  // written frames; the grid holds one more
  int32_t rows_;    // rows per pattern; the grid holds one more
  std::vector<Cell> cells_;
};

struct Placement {
  PatternGrid grid;
  bool songCut = false;  // a placed note starts in frame 128 or later
};

// Asks `routing` for every note as it is placed, and reports every 31st note
// slot to `progress`.
Placement PlaceNotes(const Song& song, const Grid& grid, const InstrumentSet& instruments,
                     ChannelRouting& routing, Progress& progress);

// The tracker's octaves are 0-7: lower notes share octave 0, higher ones octave 7.
inline int Octave(int key) { return key / 12 - 1 < 0 ? 0 : key / 12 - 1 > 7 ? 7 : key / 12 - 1; }

}  // namespace tonvert
