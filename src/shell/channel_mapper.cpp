#include "shell/channel_mapper.h"

namespace tonvert {

const std::array<const char*, kTrackerChannels> kTrackerChannelLabels = {
    "Pulse 1", "Pulse 2", "Triangle", "Noise", "DPCM", "Pulse 1", "Pulse 2"};

namespace {

// Rows of the default table, MIDI channels 0-15 left to right.
constexpr const char* kDefaultRows[kTrackerChannels] = {
    "1000010000100010",  // Pulse 1: 1, 6, 11, 15
    "0100001000010001",  // Pulse 2: 2, 7, 12, 16
    "0010000000000000",  // Triangle: 3
    "0000000001000000",  // Noise: 10 (drums)
    "0000000000000000",  // DPCM: none
    "0001000100001000",  // MMC5 Pulse 1: 4, 8, 13
    "0000100010000100",  // MMC5 Pulse 2: 5, 9, 14
};

bool InRange(int trackerChannel, int midiChannel) {
  return trackerChannel >= 1 && trackerChannel <= kTrackerChannels && midiChannel >= 0 &&
         midiChannel < kMidiChannels;
}

}  // namespace

bool ChannelMapCell(int trackerChannel, int midiChannel) {
  return InRange(trackerChannel, midiChannel) &&
         kDefaultRows[trackerChannel - 1][midiChannel] == '1';
}

MapperModel::MapperModel() { DefaultMapper(*this); }

void DefaultMapper(MapperBoxes& boxes) {
  for (int k = 0; k < kMapperBoxCount; ++k)
    boxes.SetChecked(k, ChannelMapCell(k / kMidiChannels + 1, k % kMidiChannels));
}

void ClearMapper(MapperBoxes& boxes) {
  for (int k = 0; k < kMapperBoxCount; ++k) boxes.SetChecked(k, false);
}

void ApplyMapperText(MapperBoxes& boxes, std::string_view text) {
  if (text.empty()) return;
  for (int k = 0; k < kMapperBoxCount; ++k)
    boxes.SetChecked(k, static_cast<size_t>(k) < text.size() && text[k] == '1');
}

std::string MapperText(const MapperBoxes& boxes) {
  std::string text;
  text.reserve(kMapperBoxCount);
  for (int k = 0; k < kMapperBoxCount; ++k) text += boxes.IsChecked(k) ? '1' : '0';
  return text;
}

bool IsChannelMapped(const MapperBoxes& boxes, int trackerChannel, int midiChannel) {
  return InRange(trackerChannel, midiChannel) &&
         boxes.IsChecked(MapperBoxIndex(trackerChannel, midiChannel));
}

}  // namespace tonvert
