#include "convert/channel_map.h"

namespace tonvert {

namespace {

// Rows of the default table, MIDI channels 1-16 left to right.
constexpr const char* kDefaultRows[kTrackerChannelCount] = {
    "1000010000100010",  // Pulse 1: 1, 6, 11, 15
    "0100001000010001",  // Pulse 2: 2, 7, 12, 16
    "0010000000000000",  // Triangle: 3
    "0000000001000000",  // Noise: 10 (drums)
    "0000000000000000",  // DPCM: none
    "0001000100001000",  // MMC5 Pulse 1: 4, 8, 13
    "0000100010000100",  // MMC5 Pulse 2: 5, 9, 14
};

bool InRange(int trackerChannel, int midiChannel) {
  return trackerChannel >= 1 && trackerChannel <= kTrackerChannelCount && midiChannel >= 0 &&
         midiChannel < kMidiChannels;
}

}  // namespace

bool DefaultChannelMap(int trackerChannel, int midiChannel) {
  return InRange(trackerChannel, midiChannel) && kDefaultRows[trackerChannel - 1][midiChannel] == '1';
}

AssignmentTable::AssignmentTable() { DefaultMapper(*this); }

void DefaultMapper(ChannelAssignment& assignment) {
  for (int k = 0; k < kMapperBoxCount; ++k)
    assignment.SetChecked(k, DefaultChannelMap(k / kMidiChannels + 1, k % kMidiChannels));
}

void ClearMapper(ChannelAssignment& assignment) {
  for (int k = 0; k < kMapperBoxCount; ++k) assignment.SetChecked(k, false);
}

void ApplyMapperText(ChannelAssignment& assignment, std::string_view text) {
  if (text.empty()) return;
  for (int k = 0; k < kMapperBoxCount; ++k)
    assignment.SetChecked(k, static_cast<size_t>(k) < text.size() && text[static_cast<size_t>(k)] == '1');
}

std::string MapperText(const ChannelAssignment& assignment) {
  std::string text;
  text.reserve(kMapperBoxCount);
  for (int k = 0; k < kMapperBoxCount; ++k) text += assignment.IsChecked(k) ? '1' : '0';
  return text;
}

bool IsChannelMapped(const ChannelAssignment& assignment, int trackerChannel, int midiChannel) {
  return InRange(trackerChannel, midiChannel) && assignment.IsChecked(MapperBoxIndex(trackerChannel, midiChannel));
}

}  // namespace tonvert
