// A toolkit without a display, a settings key in memory, and the case tables'
// reader. User input is a queue of actions that the toolkit handles when the
// loop waits (one action) or a status step runs (every pending action).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "shell/toolkit.h"
#include "shell/window_layout.h"

namespace tonvert::test {

class FakeToolkit : public Toolkit {
 public:
  struct Control {
    ControlLayout created;  // text kept current
    bool checked = false, enabled = true;
  };

  bool OpenWindow(const std::string& text, int, int, AppEventQueue& events) override { return title = text, events_ = &events; }
  void CreateControl(const ControlLayout& control) override {
    EXPECT_EQ(controls.count(control.number), 0u) << "number used twice: " << control.number;
    controls[control.number].created = control;
    if (control.kind == ControlKind::CheckBox && control.trackerChannel != 0) boxes.push_back(control.number);
  }
  void ShowWindow() override {}
  void CloseWindow() override { closed = true; }
  std::string Text(int control) override { return At(control).created.text; }
  void SetText(int control, const std::string& text) override { At(control).created.text = text, ++textsSet; }
  bool IsChecked(int control) override { return At(control).checked; }
  void SetChecked(int control, bool checked) override { At(control).checked = checked; }
  void EnableControl(int control, bool enabled) override { At(control).enabled = enabled; }
  void WaitForEvents() override {
    auto& queue = input.empty() ? idleInput : input;
    if (queue.empty()) {  // a real toolkit would wait forever: end the loop instead
      ADD_FAILURE() << "the event loop waits, but no input is left";
      return PressCloseBox();
    }
    auto action = std::move(queue.front());
    queue.pop_front();
    action();
  }
  void HandlePendingEvents() override {
    for (++statusSteps; !input.empty();) WaitForEvents();
  }
  void ShowMessage(const Message& message) override { log += "message " + message.text + ";"; }
  std::string RequestOpenFile(const FileRequest& r) override { return Request("open", r); }
  std::string RequestSaveFile(const FileRequest& r) override { return Request("save", r); }
  void PutOnClipboard(const std::string& text) override { log += "clipboard " + text + ";"; }
  void ShowReport(const std::string& text, double s) override { log += "report " + text + " for " + std::to_string(s) + ";"; }

  // User input, at once: a check box toggles, a disabled control ignores it.
  void Press(int control) {
    if (!At(control).enabled) return;
    if (At(control).created.kind == ControlKind::CheckBox) At(control).checked ^= true;
    events_->Post({AppEvent::Kind::Control, control});
  }
  void PressCloseBox() { events_->Post({AppEvent::Kind::Close, 0}); }
  Control& At(int control) {
    if (controls.count(control) == 0) ADD_FAILURE() << "no control " << control;
    return controls[control];
  }

  std::string title, answer, log;  // answer: the next requester's ("" cancels); log: requesters, boxes, clipboard
  bool closed = false;
  std::map<int, Control> controls;
  std::vector<int> boxes;  // the mapper's, in creation order
  // Input the loop's wait or a status step handles; idle input only once the other is done.
  std::deque<std::function<void()>> input, idleInput;
  int statusSteps = 0, textsSet = 0;

 private:
  std::string Request(const std::string& kind, const FileRequest& r) {
    log += kind + " " + r.title + "|" + r.folder + "|" + r.name + "|" + std::to_string(r.selectedFilter);
    for (const FileFilter& f : r.filters) log += "|" + f.description + "=" + f.pattern;
    return log += ";", answer;
  }
  AppEventQueue* events_ = nullptr;
};

// The settings key in memory, every write recorded in order.
class FakeRegistry : public Registry {
 public:
  bool CreateRegistryKey(const std::string& path) override { return key = path, true; }
  std::string ReadRegistryValue(const std::string& path, const std::string& name) override {
    return path == key && values.count(name) ? values[name] : std::string();
  }
  bool WriteRegistryValue(const std::string& path, const std::string& name, const std::string& text) override {
    return path == key && (values[name] = text, writes += name + "=" + text + ";", true);
  }

  std::string key, writes;
  std::map<std::string, std::string> values;
};

// A case table: "== name" starts a case; each line is words, a word in double
// quotes may hold blanks and \r \n \t \\ \" \xHH; "=>" comes before the words
// the line must give; a line ending in " \" goes on on the next.
struct Case {
  std::string name;
  std::vector<std::vector<std::string>> lines;
};

inline std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ' ') continue;
    std::string word;
    if (line[i] != '"') {
      for (; i < line.size() && line[i] != ' '; ++i) word += line[i];
    } else {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        char c = line[i];
        if (c == '\\' && ++i < line.size()) {
          c = line[i] == 'r' ? '\r' : line[i] == 'n' ? '\n' : line[i] == 't' ? '\t' : line[i];
          if (line[i] == 'x') c = static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16)), i += 2;
        }
        word += c;
      }
    }
    words.push_back(word);
  }
  return words;
}

inline std::vector<Case> ReadCases(const std::string& name) {
  std::ifstream in(std::string(TONVERT_SOURCE_DIR) + "/tests/shell/" + name);
  std::vector<Case> cases;
  for (std::string line, more; std::getline(in, line);) {
    while (line.size() > 1 && line.compare(line.size() - 2, 2, " \\") == 0 && std::getline(in, more))
      line = line.substr(0, line.size() - 1) + more;
    if (line.rfind("== ", 0) == 0) cases.push_back({line.substr(3), {}});
    else if (!line.empty() && line[0] != '#' && !cases.empty()) cases.back().lines.push_back(Words(line));
  }
  EXPECT_FALSE(cases.empty()) << "no cases in " << name;
  return cases;
}

// The words after the line's last "=>" (joined by blanks) must be what it gave.
inline bool Expect(const std::vector<std::string>& line, const std::string& got, std::string& why) {
  const auto arrow = std::find(line.rbegin(), line.rend(), "=>").base();
  if (arrow == line.begin()) return true;
  std::string want;
  for (auto w = arrow; w != line.end(); ++w) want += (want.empty() ? "" : " ") + *w;
  if (got == want) return true;
  why = "'" + line[0] + "' gave '" + got + "', not '" + want + "'";
  return false;
}

}  // namespace tonvert::test
