// A toolkit without a display for the window's logic: controls are plain
// records, and user input is a queue of actions that the toolkit handles when
// the shell waits (one action) or takes a status step (all pending actions).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "shell/toolkit.h"

namespace tonvert::test {

class FakeToolkit : public Toolkit {
 public:
  struct Control {
    ControlSpec created;  // as the shell created it, text kept current
    bool checked = false;
    bool enabled = true;
  };

  explicit FakeToolkit(std::vector<std::string>* log = nullptr) : log_(log) {}

  bool OpenWindow(const std::string& title, int width, int height,
                  AppEventQueue& events) override;
  void CreateControl(const ControlSpec& control) override;
  void ShowWindow() override { Log("show window"); }
  void CloseWindow() override;

  std::string Text(int control) override { return At(control).created.text; }
  void SetText(int control, const std::string& text) override;
  bool IsChecked(int control) override { return At(control).checked; }
  void SetChecked(int control, bool checked) override { At(control).checked = checked; }
  void EnableControl(int control, bool enabled) override { At(control).enabled = enabled; }

  void WaitForEvents() override;
  void HandlePendingEvents() override;

  void ShowMessage(const Message& message) override { messages.push_back(message); }
  std::string RequestOpenFile(const FileRequest& request) override;
  std::string RequestSaveFile(const FileRequest& request) override;
  void PutOnClipboard(const std::string& text) override { clipboard = text; }
  void ShowReport(const std::string& text, double seconds) override;

  // User input, handled when the toolkit next gets to it. A click on a
  // disabled control does nothing; a check box toggles before its event.
  void Click(int control);
  // The same input handled at once, for input that arrives together.
  void Press(int control);
  void Type(int control, const std::string& text);
  void RequestClose();
  void PressCloseBox();  // the close request handled at once
  void Later(std::function<void()> action) { input.push_back(std::move(action)); }
  // Input the user gives once the window is idle again: only the event loop's
  // wait gets to it, after all other input, never a status step.
  void WhenIdle(std::function<void()> action) { idleInput.push_back(std::move(action)); }

  Control& At(int control);
  // The control of a mapper box (tracker channel 1-7, MIDI channel 0-15).
  Control& Box(int trackerChannel, int midiChannel);
  std::string CheckedText();  // the 112 boxes as "0"/"1", column by column

  std::string title;
  int width = 0, height = 0;
  bool openFails = false;
  bool windowClosed = false;
  std::vector<int> creationOrder;
  std::map<int, Control> controls;
  std::deque<std::function<void()>> input, idleInput;
  int statusSteps = 0;
  std::vector<std::string> statusTexts;
  std::vector<bool> goEnabledAtStatus;
  std::function<void(const std::string&)> onStatusText;  // input arriving mid-run
  std::vector<Message> messages;
  std::vector<FileRequest> openRequests, saveRequests;
  std::string openAnswer, saveAnswer;  // "" cancels
  std::string clipboard;
  std::vector<std::string> reports;
  double reportSeconds = 0;

 private:
  void Log(const std::string& line) {
    if (log_ != nullptr) log_->push_back(line);
  }
  void Post(AppEvent::Kind kind, int number) { events_->Post({kind, number}); }

  std::vector<std::string>* log_;
  AppEventQueue* events_ = nullptr;
};

// Registry in memory; every read and write also goes to the shared log, so a
// test sees them in order with the window's steps.
class FakeRegistry : public Registry {
 public:
  explicit FakeRegistry(std::vector<std::string>* log = nullptr) : log_(log) {}

  bool CreateRegistryKey(const std::string& path) override;
  std::string ReadRegistryValue(const std::string& path, const std::string& name) override;
  bool WriteRegistryValue(const std::string& path, const std::string& name,
                          const std::string& text) override;

  std::string createdKey;
  std::map<std::string, std::string> values;  // of the created key
  std::vector<std::pair<std::string, std::string>> writes;

 private:
  std::vector<std::string>* log_;
};

}  // namespace tonvert::test
