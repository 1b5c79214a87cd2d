// Chords across columns and as arpeggios: the order notes are placed in, the
// column a note takes when its MIDI channel is checked in several, and the
// pass that turns chord notes without a column into 0xy effects.
#pragma once

#include <cstdint>
#include <vector>

#include "convert/placement.h"

namespace tonvert {

// Note indexes in the order placement takes them. With spread or arpeggios on:
// by start row, MIDI channel, pitch from high to low, then as read, so that a
// chord's top note (the melody) comes first whatever order the tracks are in.
// Otherwise as read.
std::vector<uint32_t> PlacingOrder(const Song& song, const std::vector<NoteFate>& fates,
                                   const PlacementOptions& options);

// What placement knows of each column besides its cells: until which row the
// last note placed there sounds, and how many placed notes end on each cell.
class ColumnState {
 public:
  explicit ColumnState(size_t cells) : offs_(cells, 0) {}
  void Sounds(int channel, int64_t untilRow) { soundsUntil_[static_cast<size_t>(channel - 1)] = untilRow; }
  int64_t SoundsUntil(int channel) const { return soundsUntil_[static_cast<size_t>(channel - 1)]; }
  void WantsNoteOff(size_t cell);
  // A note that lost its cell after all takes back its note-off, unless
  // another placed note ends there too.
  void DropNoteOff(PatternGrid& grid, const NoteFate& fate);

 private:
  std::array<int64_t, kTrackerChannelCount> soundsUntil_{};
  std::vector<uint8_t> offs_;  // saturates: a cell wanted 255 times keeps its note-off
};

// The column a note of `midiChannel` starting at (frame, row) takes among its
// checked columns: the leftmost free one (empty cell, nothing sounding), else
// the leftmost with an empty cell, else the leftmost (where it is lost).
int SpreadColumn(const PatternGrid& grid, const ColumnState& columns, ChannelRouting& routing, int midiChannel,
                 int64_t frame, int64_t row, int64_t songRow);

// Chord notes lost to their own MIDI channel's note become a 0xy effect on the
// note in their first column (pulse, MMC5 pulse and Triangle, non-drum notes),
// ended by 000 so that no later note inherits it. Runs after every pass that
// writes effects; never moves or overwrites one.
void AddArpeggios(const Song& song, Placement& placement);

}  // namespace tonvert
