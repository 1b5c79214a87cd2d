#include "cli/cli_front_end.h"

namespace tonvert {

void CliFrontEnd::Step(Stage stage, int64_t index) {
  if (quiet_) return;
  // One line for the placement stage, not 1,600.
  if (stage == Stage::Note && index != 0) return;
  std::fprintf(stderr, "%s\n", StatusText(stage, index).c_str());
  for (const auto& [after, line] : linesAfter_)
    if (after == stage) std::fprintf(stderr, "%s\n", line.c_str());
}

void CliFrontEnd::ShowMessage(const Message& message) {
  std::fprintf(stderr, "%s: %s\n", message.stopsRun ? "error" : "warning", message.text.c_str());
}

bool CliFrontEnd::IsChannelMapped(int trackerChannel, int midiChannel) {
  return tonvert::IsChannelMapped(mapper_, trackerChannel, midiChannel);
}

std::string CliFrontEnd::FieldText(Field field) {
  switch (field) {
    case Field::MidiPath:
      return midiPath_;
    case Field::Rows:
      return rows_;
    case Field::Ticks:
      return ticks_;
    case Field::OutputPath:
      return output_;
  }
  return std::string();
}

void CliFrontEnd::ShowReport(const RunReport& report) {
  for (const std::string& w : report.warnings) std::fprintf(stderr, "warning: %s\n", w.c_str());
}

}  // namespace tonvert
