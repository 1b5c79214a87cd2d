// The channel mapper's rules: which MIDI channels feed which tracker channel.
// The boxes themselves belong to a front end (the window's check boxes, or a
// plain model for the command line and the tests); these rules fill and read them.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tonvert {

constexpr int kTrackerChannels = 7;
constexpr int kMidiChannels = 16;
constexpr int kMapperBoxCount = kTrackerChannels * kMidiChannels;  // 112

// Box k (MapperBoxList order) is tracker channel k / 16 + 1, MIDI channel k % 16.
constexpr int MapperBoxIndex(int trackerChannel, int midiChannel) {
  return (trackerChannel - 1) * kMidiChannels + midiChannel;
}

// The column labels, tracker channels 1-7.
extern const std::array<const char*, kTrackerChannels> kTrackerChannelLabels;

// The built-in default assignment.
bool ChannelMapCell(int trackerChannel, int midiChannel);

class MapperBoxes {
 public:
  virtual ~MapperBoxes() = default;
  virtual bool IsChecked(int box) const = 0;
  virtual void SetChecked(int box, bool checked) = 0;
};

// A plain set of 112 states, starting with the built-in default.
class MapperModel : public MapperBoxes {
 public:
  MapperModel();
  bool IsChecked(int box) const override { return states_[box]; }
  void SetChecked(int box, bool checked) override { states_[box] = checked; }

 private:
  std::array<bool, kMapperBoxCount> states_{};
};

void DefaultMapper(MapperBoxes& boxes);
void ClearMapper(MapperBoxes& boxes);
// A stored mapper text replaces the whole assignment: "1" checks a box, any other
// character or a position past the end unchecks it. An empty text changes nothing.
void ApplyMapperText(MapperBoxes& boxes, std::string_view text);
// One "0"/"1" per box, 112 characters.
std::string MapperText(const MapperBoxes& boxes);
// False for channels outside 1-7 / 0-15.
bool IsChannelMapped(const MapperBoxes& boxes, int trackerChannel, int midiChannel);

}  // namespace tonvert
