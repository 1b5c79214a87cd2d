#include "shell/channel_mapper.h"

namespace tonvert {

bool CheckBoxAssignment::IsChecked(int box) const {
  return box >= 0 && static_cast<size_t>(box) < mapperBoxList_.size() &&
         toolkit_.IsChecked(mapperBoxList_[static_cast<size_t>(box)].control);
}

void CheckBoxAssignment::SetChecked(int box, bool checked) {
  if (box >= 0 && static_cast<size_t>(box) < mapperBoxList_.size())
    toolkit_.SetChecked(mapperBoxList_[static_cast<size_t>(box)].control, checked);
}

}  // namespace tonvert
