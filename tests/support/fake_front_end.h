// A front end for tests: records what the core shows and answers the field texts
// and mapper questions from plain members.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/front_end.h"
#include "convert/channel_map.h"

namespace tonvert::test {

class FakeFrontEnd : public FrontEnd {
 public:
  void Step(Stage stage, int64_t index) override;
  void ShowMessage(const Message& message) override { messages.push_back(message); }
  bool IsChannelMapped(int trackerChannel, int midiChannel) override;
  std::string FieldText(Field field) override;
  bool IsOptionOn(Option option) override { return options.count(option) != 0; }
  void PutOnClipboard(const std::string& text) override { clipboard = text; }
  void ShowReport(const RunReport& report) override { reports.push_back(report); }

  std::map<Field, std::string> fields{{Field::MidiPath, ""},
                                      {Field::Rows, "64"},
                                      {Field::Ticks, "36"},
                                      {Field::OutputPath, ""}};
  std::set<Option> options;        // the options turned on
  AssignmentTable mapper;
  std::vector<std::string> statuses;
  std::vector<Message> messages;
  std::string clipboard;
  std::vector<RunReport> reports;
  std::function<void(const std::string&)> onStatus;  // e.g. click a box mid-run
};

}  // namespace tonvert::test
