#include "convert/channel_map.h"

#include "common/text.h"

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

std::string ReadableMapperText(const ChannelAssignment& assignment) {
  std::string text;
  for (int c = 1; c <= kTrackerChannelCount; ++c) {
    std::string list;
    for (int m = 0; m < kMidiChannels; ++m)
      if (assignment.IsChecked(MapperBoxIndex(c, m))) list += (list.empty() ? "" : "+") + DecimalForm(m + 1);
    if (list.empty()) continue;
    text += (text.empty() ? "" : ",") + std::string(TrackerChannel(c).name) + "=" + list;
  }
  return text;
}

bool ApplyReadableMapperText(ChannelAssignment& assignment, std::string_view text, std::string& problem) {
  ClearMapper(assignment);
  bool named[kTrackerChannelCount] = {};
  for (size_t start = 0; start <= text.size();) {
    size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    const std::string_view item = text.substr(start, comma - start);
    start = comma + 1;
    const size_t equals = item.find('=');
    if (equals == std::string_view::npos) {
      problem = "\"" + std::string(item) + "\" is not NAME=CHANNELS";
      return false;
    }
    const std::string_view name = TrimBlanksAndTabs(item.substr(0, equals));
    int channel = 0;
    for (int c = 1; c <= kTrackerChannelCount; ++c)
      if (EqualsIgnoreAsciiCase(name, TrackerChannel(c).name)) channel = c;
    if (channel == 0) {
      problem = "unknown tracker channel \"" + std::string(name) + "\"";
      return false;
    }
    if (named[channel - 1]) {
      problem = "tracker channel \"" + std::string(name) + "\" given twice";
      return false;
    }
    named[channel - 1] = true;
    const std::string_view list = item.substr(equals + 1);
    for (size_t at = 0; at <= list.size();) {
      size_t plus = list.find('+', at);
      if (plus == std::string_view::npos) plus = list.size();
      const std::string_view number = TrimBlanksAndTabs(list.substr(at, plus - at));
      at = plus + 1;
      int midi = 0;
      bool digits = !number.empty() && number.size() <= 2;
      for (char ch : number) {
        digits = digits && ch >= '0' && ch <= '9';
        midi = midi * 10 + (ch - '0');
      }
      if (!digits || midi < 1 || midi > kMidiChannels) {
        problem = "bad MIDI channel \"" + std::string(number) + "\" for " + std::string(TrackerChannel(channel).name);
        return false;
      }
      assignment.SetChecked(MapperBoxIndex(channel, midi - 1), true);
    }
  }
  return true;
}

bool IsChannelMapped(const ChannelAssignment& assignment, int trackerChannel, int midiChannel) {
  return InRange(trackerChannel, midiChannel) && assignment.IsChecked(MapperBoxIndex(trackerChannel, midiChannel));
}

}  // namespace tonvert
