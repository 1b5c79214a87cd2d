// A toolkit without a display, a settings key in memory, and the case tables'
// reader. User input is a queue of actions that the toolkit handles when the
// loop waits (one action) or a status step runs (every pending action).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>

#include "settings/settings.h"
#include "shell/toolkit.h"

namespace tonvert::test {

struct FakeToolkit : Toolkit {
  struct Control {  // its layout, the text kept current
    ControlLayout created;
    bool checked = false, enabled = true;
  };

  bool OpenWindow(const std::string& text, int, int, AppEventQueue& queue) override { return title = text, events = &queue; }
  void CreateControl(const ControlLayout& control) override {
    EXPECT_TRUE(controls.emplace(control.number, Control{control}).second) << "number used twice: " << control.number;
  }
  void ShowWindow() override {}
  void CloseWindow() override { closed = true; }
  std::string Text(int control) override { return controls.at(control).created.text; }
  void SetText(int control, const std::string& text) override { controls.at(control).created.text = text, ++textsSet; }
  bool IsChecked(int control) override { return controls.at(control).checked; }
  void SetChecked(int control, bool checked) override { controls.at(control).checked = checked; }
  void EnableControl(int control, bool enabled) override { controls.at(control).enabled = enabled; }
  void WaitForEvents() override {
    auto& queue = input.empty() ? idleInput : input;
    if (queue.empty()) return ADD_FAILURE() << "the loop waits, but no input is left", Press(-1);
    const auto action = std::move(queue.front());
    queue.pop_front(), action();
  }
  void HandlePendingEvents() override { for (++statusSteps; !input.empty();) WaitForEvents(); }
  void ShowMessage(const Message& message) override { log += "message " + message.text + ";"; }
  std::string RequestOpenFile(const FileRequest& r) override { return log += "open " + r.folder + "|" + r.name + ";", answer; }
  std::string RequestSaveFile(const FileRequest& r) override { return log += "save " + r.folder + "|" + r.name + ";", answer; }
  void PutOnClipboard(const std::string& text) override { log += "clipboard " + text + ";"; }
  void ShowReport(const std::string& text, double s) override { log += "report " + text + " for " + std::to_string(s) + ";"; }

  // User input, at once: a check box toggles, a disabled control ignores it; -1 is the close box.
  void Press(int control) {
    if (control < 0) return events->Post({AppEvent::Kind::Close, 0});
    Control& c = controls.at(control);
    if (c.enabled) c.checked ^= c.created.kind == ControlKind::CheckBox, events->Post({AppEvent::Kind::Control, control});
  }

  std::string title, answer, log;  // answer: the next requester's ("" cancels); log: requesters, boxes, clipboard
  bool closed = false;
  std::map<int, Control> controls;
  // Input the loop's wait or a status step handles; idle input only once the other is done.
  std::deque<std::function<void()>> input, idleInput;
  int statusSteps = 0, textsSet = 0;
  AppEventQueue* events = nullptr;
};

// The settings key in memory, every write recorded in order.
struct FakeRegistry : Registry {
  bool CreateRegistryKey(const std::string& path) override { return key = path, true; }
  std::string ReadRegistryValue(const std::string& path, const std::string& name) override { return path == key ? values[name] : ""; }
  bool WriteRegistryValue(const std::string& path, const std::string& name, const std::string& text) override {
    return path == key && (values[name] = text, writes += name + "=" + text + ";", true);
  }
  std::string key, writes;
  std::map<std::string, std::string> values;
};

// A case table: "== name" starts a case; each line is words, a word in double
// quotes may hold blanks and \r \n \t \\ \" \xHH; "=>" comes before the words
// the line must give.
using Words = std::vector<std::string>;
using Case = std::pair<std::string, std::vector<Words>>;  // the name, the lines

inline Words Split(const std::string& line) {
  Words words;
  for (size_t i = line.find_first_not_of(' '); i < line.size(); i = line.find_first_not_of(' ', i)) {
    const bool quoted = line[i] == '"';
    std::string word;
    for (i += quoted; i < line.size() && line[i] != (quoted ? '"' : ' '); ++i) {
      if (!quoted || line[i] != '\\' || ++i == line.size()) word += line[i];
      else if (line[i] == 'x') word += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16)), i += 2;
      else word += line[i] == 'r' ? '\r' : line[i] == 'n' ? '\n' : line[i] == 't' ? '\t' : line[i];
    }
    words.push_back(word), i += quoted;
  }
  return words;
}

inline std::vector<Case> ReadCases(const std::string& name) {
  std::ifstream in(std::string(TONVERT_SOURCE_DIR) + "/tests/shell/" + name);
  std::vector<Case> cases;
  for (std::string line; std::getline(in, line);)
    if (line.rfind("== ", 0) == 0) cases.push_back({line.substr(3), {}});
    else if (!line.empty() && line[0] != '#' && !cases.empty()) cases.back().second.push_back(Split(line));
  EXPECT_FALSE(cases.empty()) << "no cases in " << name;
  return cases;
}

// "" when the words after the line's last "=>" (joined by blanks) are what it gave, else why not.
inline std::string Mismatch(const Words& line, const std::string& got) {
  const auto arrow = std::find(line.rbegin(), line.rend(), "=>").base();
  std::string want;
  for (auto w = arrow; w != line.end(); ++w) want += (w == arrow ? "" : " ") + *w;
  return arrow == line.begin() || got == want ? "" : "'" + line[0] + "' gave '" + got + "', not '" + want + "'";
}

}  // namespace tonvert::test
