// A toolkit without a display for the window's logic: controls are plain
// records, and user input is a queue of actions that the toolkit handles when
// the loop waits (one action) or a status step runs (every pending action).
#pragma once

#include <gtest/gtest.h>

#include <deque>
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
    ControlLayout created;  // as the shell created it, text kept current
    bool checked = false, enabled = true;
  };

  bool OpenWindow(const std::string& windowTitle, int, int, AppEventQueue& events) override {
    title = windowTitle;
    events_ = &events;
    return true;
  }
  void CreateControl(const ControlLayout& control) override {
    EXPECT_EQ(controls.count(control.number), 0u) << "number used twice: " << control.number;
    controls[control.number].created = control;
    if (control.kind == ControlKind::CheckBox && control.trackerChannel != 0) boxes.push_back(control.number);
  }
  void ShowWindow() override {}
  void CloseWindow() override { windowClosed = true; }
  std::string Text(int control) override { return At(control).created.text; }
  void SetText(int control, const std::string& text) override {
    At(control).created.text = text;
    ++textsSet;
  }
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
    ++statusSteps;
    while (!input.empty()) WaitForEvents();
  }
  void ShowMessage(const Message& message) override { messages.push_back(message); }
  std::string RequestOpenFile(const FileRequest& r) override { return Request("open", r); }
  std::string RequestSaveFile(const FileRequest& r) override { return Request("save", r); }
  void PutOnClipboard(const std::string& text) override { clipboard = text; }
  void ShowReport(const std::string& text, double seconds) override {
    reports.push_back(text + " for " + std::to_string(seconds) + " s");
  }

  // User input. Press acts at once: a check box toggles, a disabled control
  // ignores it. Click and RequestClose queue it as pending input; WhenIdle
  // queues input that only the loop's wait reaches, after all other input.
  void Press(int control) {
    if (!At(control).enabled) return;
    if (At(control).created.kind == ControlKind::CheckBox) At(control).checked ^= true;
    events_->Post({AppEvent::Kind::Control, control});
  }
  void PressCloseBox() { events_->Post({AppEvent::Kind::Close, 0}); }
  void Click(int control) { Later([this, control] { Press(control); }); }
  void RequestClose() { Later([this] { PressCloseBox(); }); }
  void Later(std::function<void()> action) { input.push_back(std::move(action)); }
  void WhenIdle(std::function<void()> action) { idleInput.push_back(std::move(action)); }

  Control& At(int control) {
    if (controls.count(control) == 0) ADD_FAILURE() << "no control " << control;
    return controls[control];
  }
  // The mapper boxes as "0"/"1" in creation order (column by column).
  std::string CheckedText() {
    std::string text;
    for (int box : boxes) text += At(box).checked ? '1' : '0';
    return text;
  }

  std::string title;
  bool windowClosed = false;
  std::map<int, Control> controls;
  std::vector<int> boxes;  // the mapper's
  std::deque<std::function<void()>> input, idleInput;
  int statusSteps = 0;
  int textsSet = 0;
  std::vector<Message> messages;
  std::vector<std::string> requests;  // "open|save title|folder|name|filter|description=pattern..."
  std::string answer;                 // what the next requester returns; "" cancels
  std::string clipboard;
  std::vector<std::string> reports;

 private:
  std::string Request(const std::string& kind, const FileRequest& r) {
    std::string text = kind + " " + r.title + "|" + r.folder + "|" + r.name + "|" + std::to_string(r.selectedFilter);
    for (const FileFilter& f : r.filters) text += "|" + f.description + "=" + f.pattern;
    requests.push_back(text);
    return answer;
  }
  AppEventQueue* events_ = nullptr;
};

// The settings key in memory, every write recorded in order.
class FakeRegistry : public Registry {
 public:
  bool CreateRegistryKey(const std::string& path) override {
    key = path;
    return true;
  }
  std::string ReadRegistryValue(const std::string& path, const std::string& name) override {
    return path == key && values.count(name) ? values[name] : std::string();
  }
  bool WriteRegistryValue(const std::string& path, const std::string& name, const std::string& text) override {
    if (path != key) return false;
    values[name] = text;
    writes.emplace_back(name, text);
    return true;
  }

  std::string key;
  std::map<std::string, std::string> values;
  std::vector<std::pair<std::string, std::string>> writes;
};

}  // namespace tonvert::test
