// What the fuzz targets share: a private scratch folder (on tmpfs where there is
// one, so the file-based readers cost little), a front end that records what the
// core shows, and a loud stop for a broken invariant.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "common/front_end.h"
#include "convert/channel_map.h"

namespace tonvert::fuzz {

// Created on first use, removed at exit.
const std::string& ScratchFolder();
// Writes bytes to a file in the scratch folder and returns its path.
std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size);
std::string WriteScratchFile(const std::string& name, const std::string& text);
// The whole file, or "" when it cannot be read.
std::string FileText(const std::string& path);

// Prints the reason and aborts, so libFuzzer keeps the input as a crash.
[[noreturn]] void Fail(const std::string& what);

class RecordingFrontEnd : public FrontEnd {
 public:
  void Step(Stage, int64_t) override {}
  void ShowMessage(const Message& message) override { messages.push_back(message); }
  bool IsChannelMapped(int trackerChannel, int midiChannel) override {
    return tonvert::IsChannelMapped(mapper, trackerChannel, midiChannel);
  }
  std::string FieldText(Field field) override;
  bool IsOptionOn(Option option) override { return options.count(option) != 0; }
  void PutOnClipboard(const std::string& text) override { clipboard = text; }
  void ShowReport(const RunReport& report) override { reports.push_back(report); }

  std::string midiPath, rows = "64", ticks = "36", outputPath;
  AssignmentTable mapper;
  std::set<Option> options;
  std::vector<Message> messages;
  std::string clipboard;
  std::vector<RunReport> reports;
};

}  // namespace tonvert::fuzz
