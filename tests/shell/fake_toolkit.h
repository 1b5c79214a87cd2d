// A toolkit without a display for the window's logic: controls are plain
// records, and user input is a queue of actions that the toolkit handles when
// the loop waits (one action) or a status step runs (every pending action).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "shell/toolkit.h"

namespace tonvert::test {

using Log = std::vector<std::string>;

class FakeToolkit : public Toolkit {
 public:
  struct Control {
    ControlSpec created;  // as the shell created it, text kept current
    bool checked = false;
    bool enabled = true;
  };

  explicit FakeToolkit(Log* log = nullptr) : log_(log) {}

  bool OpenWindow(const std::string& title, int width, int height,
                  AppEventQueue& events) override;
  void CreateControl(const ControlSpec& control) override;
  void ShowWindow() override {}
  void CloseWindow() override { windowClosed = true; }
  std::string Text(int control) override { return At(control).created.text; }
  void SetText(int control, const std::string& text) override;
  bool IsChecked(int control) override { return At(control).checked; }
  void SetChecked(int control, bool checked) override { At(control).checked = checked; }
  void EnableControl(int control, bool enabled) override { At(control).enabled = enabled; }
  void WaitForEvents() override;
  void HandlePendingEvents() override;
  void ShowMessage(const Message& message) override { messages.push_back(message); }
  std::string RequestOpenFile(const FileRequest& r) override { return Answer(openRequests, r); }
  std::string RequestSaveFile(const FileRequest& r) override { return Answer(saveRequests, r); }
  void PutOnClipboard(const std::string& text) override { clipboard = text; }
  void ShowReport(const std::string& text, double seconds) override;

  // User input. Press acts at once: a check box toggles, a disabled control
  // ignores it. Click, Type and RequestClose queue it as pending input; WhenIdle
  // queues input that only the loop's wait reaches, after all other input.
  void Press(int control);
  void PressCloseBox() { events_->Post({AppEvent::Kind::Close, 0}); }
  void Click(int control) { Later([this, control] { Press(control); }); }
  void Type(int control, const std::string& text);
  void RequestClose() { Later([this] { PressCloseBox(); }); }
  void Later(std::function<void()> action) { input.push_back(std::move(action)); }
  void WhenIdle(std::function<void()> action) { idleInput.push_back(std::move(action)); }

  Control& At(int control);
  Control& Box(int trackerChannel, int midiChannel);
  std::string CheckedText();  // the 112 boxes as "0"/"1", column by column

  std::string title;
  int width = 0, height = 0;
  bool openFails = false, windowClosed = false;
  std::map<int, Control> controls;
  std::deque<std::function<void()>> input, idleInput;
  int statusSteps = 0;
  std::vector<std::string> statusTexts;
  std::vector<bool> goEnabledAtStatus;
  std::function<void(const std::string&)> onStatusText;  // input arriving mid-run
  std::vector<Message> messages;
  std::vector<FileRequest> openRequests, saveRequests;
  std::string answer;  // what the next requester returns; "" cancels
  std::string clipboard;
  std::vector<std::string> reports;
  double reportSeconds = 0;

 private:
  std::string Answer(std::vector<FileRequest>& requests, const FileRequest& r) {
    requests.push_back(r);
    return answer;
  }
  Log* log_;
  AppEventQueue* events_ = nullptr;
};

// The settings key in memory; reads and writes go to the shared log, so a test
// sees them in order with the window's steps.
class FakeRegistry : public Registry {
 public:
  explicit FakeRegistry(Log* log = nullptr) : log_(log) {}
  bool CreateRegistryKey(const std::string& path) override;
  std::string ReadRegistryValue(const std::string& path, const std::string& name) override;
  bool WriteRegistryValue(const std::string& path, const std::string& name,
                          const std::string& text) override;

  std::string key;
  std::map<std::string, std::string> values;
  std::vector<std::pair<std::string, std::string>> writes;

 private:
  Log* log_;
};

}  // namespace tonvert::test
