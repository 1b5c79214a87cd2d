// The seven tracker channels of the song: the 2A03's five and the MMC5's two
// pulses. Everything that depends on a channel's kind reads this one table.
#pragma once

#include <array>

namespace tonvert {

constexpr int kTrackerChannelCount = 7;
constexpr int kMaxEffectColumns = 4;

struct TrackerChannelInfo {
  const char* label;  // the mapper column's caption
  const char* name;   // in the command line's readable mapper form
  bool pulse;         // a duty cycle to set with V
  bool noise;         // plays noise pitches 0-F, not notes
  int effectColumns;  // as the document's COLUMNS line declares them
};

// Tracker channels are numbered 1-7 everywhere, in this order.
constexpr std::array<TrackerChannelInfo, kTrackerChannelCount> kTrackerChannelTable{{
    {"Pulse 1", "pulse1", true, false, 4},
    {"Pulse 2", "pulse2", true, false, 4},
    {"Triangle", "triangle", false, false, 1},
    {"Noise", "noise", false, true, 1},
    {"DPCM", "dpcm", false, false, 1},
    {"Pulse 1", "mmc5a", true, false, 4},  // MMC5
    {"Pulse 2", "mmc5b", true, false, 4},  // MMC5
}};

constexpr const TrackerChannelInfo& TrackerChannel(int trackerChannel) {
  return kTrackerChannelTable[static_cast<size_t>(trackerChannel - 1)];
}

constexpr int kTriangleChannel = 3;
constexpr int kNoiseChannel = 4;

}  // namespace tonvert
