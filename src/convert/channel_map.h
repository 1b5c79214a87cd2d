// Which MIDI channels feed which tracker channel: 112 yes/no states, 16 MIDI
// channels for each of the seven tracker channels. The window keeps them in its
// check boxes, the command line in a plain table; these rules fill and read
// either.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "convert/tracker_channels.h"


namespace tonvert {

constexpr int kMidiChannels = 16;
constexpr int kMapperBoxCount = kTrackerChannelCount * kMidiChannels;  // 112

// State k is tracker channel k / 16 + 1, MIDI channel k % 16: the order of the
// stored mapper text.
constexpr int MapperBoxIndex(int trackerChannel, int midiChannel) {
  return (trackerChannel - 1) * kMidiChannels + midiChannel;
}

// The built-in default assignment.
bool DefaultChannelMap(int trackerChannel, int midiChannel);

// The 112 states wherever they are kept.
class ChannelAssignment {
 public:
  virtual ~ChannelAssignment() = default;
  virtual bool IsChecked(int box) const = 0;
  virtual void SetChecked(int box, bool checked) = 0;
};

// The states in memory, starting with the built-in default.
class AssignmentTable : public ChannelAssignment {
 public:
  AssignmentTable();
  bool IsChecked(int box) const override { return states_[static_cast<size_t>(box)]; }
  void SetChecked(int box, bool checked) override { states_[static_cast<size_t>(box)] = checked; }

 private:
  std::array<bool, kMapperBoxCount> states_{};
};

void DefaultMapper(ChannelAssignment& assignment);
void ClearMapper(ChannelAssignment& assignment);
// A stored mapper text replaces the whole assignment: "1" checks a box, any other
// character or a position past the end unchecks it. An empty text changes nothing.
void ApplyMapperText(ChannelAssignment& assignment, std::string_view text);
// One "0"/"1" per box, 112 characters.
std::string MapperText(const ChannelAssignment& assignment);
// The readable form: "pulse1=1,pulse2=2+5,noise=10", tracker channels in table
// order, MIDI channels counted from 1; a tracker channel without any is left out.
std::string ReadableMapperText(const ChannelAssignment& assignment);
// Reads the readable form (names in any letter case) into a cleared assignment;
// false with `problem` set for an unknown name, a MIDI channel outside 1-16,
// a name given twice or a malformed item.
bool ApplyReadableMapperText(ChannelAssignment& assignment, std::string_view text, std::string& problem);
// False for channels outside 1-7 / 0-15.
bool IsChannelMapped(const ChannelAssignment& assignment, int trackerChannel, int midiChannel);

}  // namespace tonvert
