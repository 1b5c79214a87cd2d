#include "cli/cli_front_end.h"

namespace tonvert {

void CliFrontEnd::PrintLine(const std::string& line) {
  if (!heading_.empty()) {
    std::fprintf(stderr, "%s:\n", heading_.c_str());
    heading_.clear();
  }
  std::fprintf(stderr, "%s\n", line.c_str());
}

void CliFrontEnd::Step(Stage stage, int64_t index) {
  // The chosen mapping is the run's result as much as its progress: it is
  // shown with -q too, in the form -m reads back.
  if (stage == Stage::Mapper) {
    PrintLine("Mapper: " + ReadableMapperText(mapper_));
    return;
  }
  if (quiet_) return;
  // One line for the placement stage, not 1,600.
  if (stage == Stage::Note && index != 0) return;
  PrintLine(StatusText(stage, index));
  for (const auto& [after, line] : linesAfter_)
    if (after == stage) PrintLine(line);
}

void CliFrontEnd::ShowMessage(const Message& message) {
  std::string line = (message.stopsRun ? "error: " : "warning: ") + message.text;
  if (!message.detail.empty()) line += " (" + message.detail + ")";
  PrintLine(line);
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
  for (const std::string& w : report.warnings) PrintLine("warning: " + w);
}

}  // namespace tonvert
