// Time on the row grid: where a time falls, how many frames a song needs, the
// grid found from the notes, and the speed and tempo the tracker plays it at,
// including the tempo changes written as Fxx effects.
#pragma once

#include <cstdint>

#include "convert/document.h"
#include "convert/placement.h"
#include "midi/song.h"

namespace tonvert {

// The rows per quarter note a grid found from the notes may have.
constexpr int kFitRowsPerQuarter[] = {2, 3, 4, 6, 8, 12, 16, 24};

// The grid that puts the most note starts on a row: the smallest of
// kFitRowsPerQuarter on which 95 % of them lie within a tenth of a row of a row
// start, else the one with the most such starts. Needs a division of ticks
// per quarter note of at least 1.
int FitRowsPerQuarter(const Song& song);

// The row, counted from the song's start, that a time falls on: the row at or
// before it, or with grid.nearestRow the nearest one (a half goes to the later).
int64_t RowAt(int64_t time, const Grid& grid);

// The frames a song's notes need on this grid, at most kMaxFrames.
int32_t FramesNeeded(const Song& song, const Grid& grid);

// A Set Tempo's beats per minute, rounded half up.
int64_t BpmOf(uint32_t microsecondsPerQuarter);

// The speed (1-20) nearest to 24 / rowsPerQuarter that reaches a tempo within
// 32-255 for this BPM, the smaller speed on a tie, and that tempo.
TrackTiming TimingFor(int64_t bpm, int rowsPerQuarter);

// The TRACK line's speed and tempo on a grid other than the plain one: the
// tempo in force at time 0 when tempo changes are written, else the song's.
TrackTiming StartTiming(const Song& song, const Grid& grid, bool tempoChanges);

// Writes each later change of tempo as Fxx effects in the first free effect
// columns of its row, or of the next row with enough of them.
void WriteTempoChanges(const Song& song, const Grid& grid, TrackTiming start, PatternGrid& cells);

}  // namespace tonvert
