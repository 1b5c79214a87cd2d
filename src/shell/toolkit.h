// The seam between the window's logic (start-up, event loop, dispatch, status
// step, close sequence, mapper) and a windowing toolkit. The logic lives in
// MainWindow and never names a toolkit; FLTK on Linux and Win32 on Windows each
// implement Toolkit and nothing else.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/front_end.h"

namespace tonvert {

enum class ControlKind {
  Frame,     // group box, caption at the top left; takes no focus
  Label,     // static left-aligned text; takes no focus
  Field,     // single-line edit box
  Button,    // push button
  CheckBox,  // box with its text to the right, toggling by itself on a click
};

// One control of the window, as created. The numbers below FirstOtherControl
// (window_layout.h) are the controls the event loop and the run address; every
// other control has a number from there up.
struct ControlLayout {
  ControlKind kind = ControlKind::Label;
  int number = 0;
  int x = 0, y = 0, w = 0, h = 0;
  std::string text;
  // When not empty the shown text is this stored setting, `text` its default;
  // a check box shows the setting as its state instead, checked by "1".
  std::string setting;
  // Mapper check boxes only: the column (1-7) and the MIDI channel (0-15); an
  // option box has column 0.
  int trackerChannel = 0;
  int midiChannel = -1;
};

// What the event loop acts on. Anything else a toolkit sees (repaint, resize,
// activation) stays inside the toolkit.
struct AppEvent {
  enum class Kind { Control, Close };
  Kind kind = Kind::Control;
  int number = 0;  // the control's number, or the window's for Close

  bool operator==(const AppEvent& other) const {
    return kind == other.kind && number == other.number;
  }
};

// Fed by the toolkit (control callbacks, the close request), emptied by the
// event loop and by the status step.
class AppEventQueue {
 public:
  void Post(const AppEvent& event) { events_.push_back(event); }
  bool Empty() const { return events_.empty(); }
  size_t Size() const { return events_.size(); }
  AppEvent Take() {
    AppEvent event = events_.front();
    events_.pop_front();
    return event;
  }
  void Clear() { events_.clear(); }

 private:
  std::deque<AppEvent> events_;
};

// One entry of a requester's filter list, in the Windows form ("*.MID");
// a toolkit with other matching rules translates the pattern.
struct FileFilter {
  std::string description;
  std::string pattern;
};

struct FileRequest {
  std::string title;
  std::string folder;  // "" opens in the requester's usual folder
  std::string name;    // "" leaves the name box empty
  std::vector<FileFilter> filters;
  int selectedFilter = 0;  // counted from 0
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Opens the top-level window (number 0) with the given client size, centred.
  // Control events and the window's close request are posted to `events` from
  // then on. False when no window can be opened.
  virtual bool OpenWindow(const std::string& title, int width, int height,
                          AppEventQueue& events) = 0;
  // Creates the next control; creation order is the Tab order.
  virtual void CreateControl(const ControlLayout& control) = 0;
  // Shows the window once all controls exist.
  virtual void ShowWindow() = 0;
  virtual void CloseWindow() = 0;

  // A field's text or a label's text.
  virtual std::string Text(int control) = 0;
  virtual void SetText(int control, const std::string& text) = 0;
  virtual bool IsChecked(int control) = 0;
  virtual void SetChecked(int control, bool checked) = 0;
  virtual void EnableControl(int control, bool enabled) = 0;

  // Waits without time-out until the toolkit has handled some input.
  virtual void WaitForEvents() = 0;
  // Handles what input is pending and returns at once; never waits.
  virtual void HandlePendingEvents() = 0;

  // Modal; returns when the user has closed the box.
  virtual void ShowMessage(const Message& message) = 0;
  // Return the chosen path, or "" when the user cancelled.
  virtual std::string RequestOpenFile(const FileRequest& request) = 0;
  virtual std::string RequestSaveFile(const FileRequest& request) = 0;
  virtual void PutOnClipboard(const std::string& text) = 0;
  // Box with an empty title and an OK button; returns when it is closed or
  // after `seconds`, whichever comes first.
  virtual void ShowReport(const std::string& text, double seconds) = 0;
};

}  // namespace tonvert
