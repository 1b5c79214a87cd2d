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

// The row grid of a run. The numbers are positive.
struct Grid {
  int32_t rowsPerPattern = kDefaultRowsPerPattern;
  int64_t ticksPerRow = kDefaultTicksPerRow;  // in thirds of a MIDI tick, like the song's times
  // A row lasts ticksPerRow / rowDivisor: a grid taken from the file's division
  // need not be a whole number of time units (89 ticks per quarter note).
  int64_t rowDivisor = 1;
  bool nearestRow = false;  // times go to the nearest row, not the one at or before them
  int rowsPerQuarter = 4;   // what the speed and tempo assume a quarter note to be
  bool fitted = false;      // found from the notes' start times
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
  size_t size() const { return cells_.size(); }
  // The cell's place in grid order, for tables that run beside the grid.
  size_t Index(int64_t frame, int64_t row, int trackerChannel) const {
    return (static_cast<size_t>(frame) * static_cast<size_t>(rows_ + 1) + static_cast<size_t>(row)) *
               kTrackerChannelCount +
           static_cast<size_t>(trackerChannel - 1);
  }

 private:
  int32_t frames_;  // written frames; the grid holds one more
  int32_t rows_;    // rows per pattern; the grid holds one more
  std::vector<Cell> cells_;
};

// What became of one stored note, for the summary and the passes after placement.
enum class Fate : uint8_t {
  Uncounted,    // length 0: never placed, never counted
  Unmapped,     // its MIDI channel is checked in no column
  Quiet,        // velocity below 8
  Undefined,    // a drum with nothing to play
  PastEnd,      // starts after the last written frame
  Placed,       // in its cell on `channel`
  LostToChord,  // the cell was taken by a note of its own MIDI channel
  LostToOther,  // the cell was taken by another MIDI channel's note
  Arpeggio,     // plays as an arpeggio step of the kept note in its cell
  Merged,       // a drum whose Noise cell plays another drum
};

struct NoteFate {
  Fate fate = Fate::Uncounted;
  uint8_t channel = 0;  // the tracker channel it was placed on, or lost from (its first routed one)
  int64_t startRow = 0;  // rows from the song's start
  int64_t endRow = -1;   // the row its note-off falls on (placed or not), -1 when none in the grid
};

constexpr int32_t kNoOwner = -1;

struct Placement {
  PatternGrid grid;
  bool songCut = false;  // a placed note starts in frame 128 or later
  std::vector<NoteFate> fates;  // by note index
  std::vector<int32_t> owner;   // by PatternGrid::Index: the note whose cell it is, or kNoOwner
};

// The run's choices that change where notes go. All off: today's placement.
struct PlacementOptions {
  bool spread = false;     // a MIDI channel checked in several columns plays chords across them
  bool arpeggios = false;  // chord notes without a column become 0xy effects (a pass after placement)
  std::array<int, kTrackerChannelCount> transpose{};  // semitones per tracker channel, non-drum notes
};

// Asks `routing` for every note as it is placed, and reports every 31st note
// slot to `progress`.
Placement PlaceNotes(const Song& song, const Grid& grid, const InstrumentSet& instruments,
                     ChannelRouting& routing, Progress& progress, const PlacementOptions& options = {});

// The tracker's octaves are 0-7: lower notes share octave 0, higher ones octave 7.
inline int Octave(int key) { return key / 12 - 1 < 0 ? 0 : key / 12 - 1 > 7 ? 7 : key / 12 - 1; }

}  // namespace tonvert
