#include "support/fake_front_end.h"

namespace tonvert::test {

void FakeFrontEnd::Step(Stage stage, int64_t index) {
  const std::string text = StatusText(stage, index);
  statuses.push_back(text);
  if (onStatus) onStatus(text);
}

bool FakeFrontEnd::IsChannelMapped(int trackerChannel, int midiChannel) {
  return tonvert::IsChannelMapped(mapper, trackerChannel, midiChannel);
}

std::string FakeFrontEnd::FieldText(Field field) { return fields[field]; }

}  // namespace tonvert::test
