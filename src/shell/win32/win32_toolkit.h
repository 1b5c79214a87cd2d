// The window drawn with the Win32 controls themselves: the Toolkit the shell's
// logic runs on under Windows. Everything the program decides (layout, dispatch,
// status step, close sequence, mapper) stays behind the seam; this layer only
// creates controls, reads and sets them, and moves messages.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/toolkit.h"

namespace tonvert {

// Control numbers become child IDs from here on: the dialog manager sends IDOK
// (1) for Enter and IDCANCEL (2) for Escape, which must not read as the
// DefaultButton or the MidiPathField.
constexpr int kControlIdBase = 100;

// The window class, styles and extended styles of one kind of control.
struct Win32ControlClass {
  const char* className;
  DWORD style;
  DWORD exStyle;
};
Win32ControlClass ControlClassFor(ControlKind kind);

// The common dialogs' filter form: description and pattern, each ended by a
// zero, the list ended by one more.
std::string Win32FilterText(const std::vector<FileFilter>& filters);

class Win32Toolkit : public Toolkit {
 public:
  Win32Toolkit();
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  bool OpenWindow(const std::string& title, int width, int height,
                  AppEventQueue& events) override;
  void CreateControl(const ControlLayout& control) override;
  void ShowWindow() override;
  void CloseWindow() override;

  std::string Text(int control) override;
  void SetText(int control, const std::string& text) override;
  bool IsChecked(int control) override;
  void SetChecked(int control, bool checked) override;
  void EnableControl(int control, bool enabled) override;

  // Takes one message, waiting for it.
  void WaitForEvents() override;
  // Takes exactly one pending message, or none when nothing is pending.
  void HandlePendingEvents() override;

  void ShowMessage(const Message& message) override;
  std::string RequestOpenFile(const FileRequest& request) override;
  std::string RequestSaveFile(const FileRequest& request) override;
  void PutOnClipboard(const std::string& text) override;
  // The box runs on a thread of its own; after `seconds` it is closed with a
  // message if it is still open.
  void ShowReport(const std::string& text, double seconds) override;

  // The window and a control's child window (null when there is none).
  HWND WindowHandle() const { return window_; }
  HWND ControlHandle(int control) const;

 private:
  struct Slot {
    int number = 0;
    ControlKind kind = ControlKind::Label;
    HWND handle = nullptr;
  };

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  const Slot* Find(int control) const;
  void Dispatch(MSG& message);
  std::string RunFileDialog(const FileRequest& request, bool save);

  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  std::vector<Slot> slots_;  // creation order
  AppEventQueue* events_ = nullptr;
  bool settingText_ = false;  // our own SetText is no edit of the user's
};

}  // namespace tonvert
