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

std::string FakeFrontEnd::FieldText(Field field) {
  fieldReads.push_back(field);
  return fields[field];
}

std::vector<std::string> FakeFrontEnd::MessageTexts() const {
  std::vector<std::string> texts;
  for (const Message& m : messages) texts.push_back(m.text);
  return texts;
}

}  // namespace tonvert::test
