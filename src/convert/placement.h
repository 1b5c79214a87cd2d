// Puts the notes of the note table on the tracker's row grid, one tracker channel
// per note, chosen through the channel mapper.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/front_end.h"
#include "convert/app_state.h"

namespace tonvert {

constexpr int kMaxFrames = 128;  // frames 00-7F are all a song can hold

// What one tracker channel holds at one row. Kept to a few bytes: the largest
// grid is 129 frames x 257 rows x 7 channels.
struct ChannelCell {
  enum Kind : uint8_t { Empty, NoteOff, Melodic, Noise, Drum };
  static constexpr uint8_t kNone = 0xFF;

  Kind kind = Empty;
  uint8_t value = 0;           // note number, noise pitch 0-15, or drum note number
  uint8_t instrument = kNone;  // 00-3F, or kNone for ".."
  uint8_t volume = 0;          // 1-15; 0 for none
  uint8_t effect = kNone;      // the "V" value 0-99 on pulse channels, or kNone
};

class PatternGrid {
 public:
  PatternGrid(int32_t frames, int32_t rows);
  int32_t frames() const { return frames_; }
  int32_t rows() const { return rows_; }
  ChannelCell& at(int64_t frame, int64_t row, int trackerChannel) {
    return cells_[Index(frame, row, trackerChannel)];
  }
  const ChannelCell& at(int64_t frame, int64_t row, int trackerChannel) const {
    return cells_[Index(frame, row, trackerChannel)];
  }

 private:
  size_t Index(int64_t frame, int64_t row, int trackerChannel) const {
    return (static_cast<size_t>(frame) * static_cast<size_t>(rows_ + 1) + static_cast<size_t>(row)) * 7 +
           static_cast<size_t>(trackerChannel - 1);
  }
  int32_t frames_;  // written frames; the grid holds one more
  int32_t rows_;    // rows per pattern; the grid holds one more
  std::vector<ChannelCell> cells_;
};

struct Placement {
  PatternGrid grid;
  bool songCut = false;  // a placed note starts in frame 128 or later
};

// RowsPerPattern and TicksPerRow of the state must be positive.
Placement PlaceNotes(const AppState& state, FrontEnd& frontEnd);

// The note column of a cell, as the tracker reads it.
std::string NoteText(const ChannelCell& cell, const DrumDefTable& drums);

}  // namespace tonvert
