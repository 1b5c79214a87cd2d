// The command line's front end: progress and messages on standard error, the
// mapper in a plain model, the fields and options from the command line.
#pragma once

#include <cstdio>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/front_end.h"
#include "convert/channel_map.h"

namespace tonvert {

class CliFrontEnd : public FrontEnd {
 public:
  // `heading`, when not empty, is printed as "heading:" before this run's first
  // line on standard error, so the lines of several files can be told apart.
  CliFrontEnd(std::string midiPath, std::string rows, std::string ticks, std::string output,
              bool quiet, std::set<Option> options = {}, std::string heading = "")
      : midiPath_(std::move(midiPath)),
        rows_(std::move(rows)),
        ticks_(std::move(ticks)),
        output_(std::move(output)),
        quiet_(quiet),
        options_(std::move(options)),
        heading_(std::move(heading)) {}

  void Step(Stage stage, int64_t index) override;
  void ShowMessage(const Message& message) override;
  bool IsChannelMapped(int trackerChannel, int midiChannel) override;
  std::string FieldText(Field field) override;
  bool IsOptionOn(Option option) override { return options_.count(option) != 0; }
  void PutOnClipboard(const std::string&) override {}  // the path is printed instead
  void ShowReport(const RunReport& report) override;

  AssignmentTable& mapper() { return mapper_; }
  // A progress line of our own, printed right after the status of `stage`.
  void AddLineAfter(Stage stage, const std::string& line) { linesAfter_.emplace_back(stage, line); }

 private:
  void PrintLine(const std::string& line);

  std::string midiPath_, rows_, ticks_, output_;
  bool quiet_;
  std::set<Option> options_;
  std::string heading_;  // emptied once printed
  AssignmentTable mapper_;
  std::vector<std::pair<Stage, std::string>> linesAfter_;
};

}  // namespace tonvert
