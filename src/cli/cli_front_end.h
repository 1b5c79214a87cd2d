// The command line's front end: progress and messages on standard error, the
// mapper in a plain model, the fields from the options.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/front_end.h"
#include "shell/channel_mapper.h"

namespace tonvert {

class CliFrontEnd : public FrontEnd {
 public:
  CliFrontEnd(std::string midiPath, std::string rows, std::string ticks, std::string output,
              bool quiet)
      : midiPath_(std::move(midiPath)),
        rows_(std::move(rows)),
        ticks_(std::move(ticks)),
        output_(std::move(output)),
        quiet_(quiet) {}

  void SetStatus(const std::string& text) override;
  void ShowMessage(const Message& message) override;
  bool IsChannelMapped(int trackerChannel, int midiChannel) override;
  std::string FieldText(Field field) override;
  void PutOnClipboard(const std::string&) override {}  // the path is printed instead
  void ShowReport(const RunReport& report) override;

  MapperModel& mapper() { return mapper_; }
  // A progress line of our own, printed right after the status line `status`.
  void AddLineAfter(const std::string& status, const std::string& line) {
    linesAfter_.emplace_back(status, line);
  }

 private:
  std::string midiPath_, rows_, ticks_, output_;
  bool quiet_;
  MapperModel mapper_;
  std::vector<std::pair<std::string, std::string>> linesAfter_;
};

}  // namespace tonvert
