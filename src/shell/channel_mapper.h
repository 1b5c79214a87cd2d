// The channel mapper's check boxes as a ChannelAssignment: the mapper rules of
// the core read and set the window's live boxes through this adaptor.
#pragma once

#include <vector>

#include "convert/channel_map.h"
#include "shell/toolkit.h"

namespace tonvert {

// One mapper check box of the window: its column, its MIDI channel and its control.
struct MapperBox {
  int trackerChannel = 0;
  int midiChannel = 0;
  int control = 0;
};

// Box k of the list is state k of the assignment (see MapperBoxIndex).
class CheckBoxAssignment : public ChannelAssignment {
 public:
  CheckBoxAssignment(Toolkit& toolkit, const std::vector<MapperBox>& mapperBoxList)
      : toolkit_(toolkit), mapperBoxList_(mapperBoxList) {}
  bool IsChecked(int box) const override;
  void SetChecked(int box, bool checked) override;

 private:
  Toolkit& toolkit_;
  const std::vector<MapperBox>& mapperBoxList_;
};

}  // namespace tonvert
