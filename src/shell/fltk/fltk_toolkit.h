// The window drawn with FLTK 1.3 on X11: the Toolkit the shell's logic runs on.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shell/toolkit.h"

class Fl_Widget;
class Fl_Double_Window;

namespace tonvert {

// Windows-style filter patterns in FLTK's form: letters match either case, as
// on Windows, and "*.*" matches every name, with or without a dot.
std::string FltkFilterText(const std::vector<FileFilter>& filters);

class FltkToolkit : public Toolkit {
 public:
  FltkToolkit();
  ~FltkToolkit() override;

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

  void WaitForEvents() override;
  void HandlePendingEvents() override;

  void ShowMessage(const Message& message) override;
  std::string RequestOpenFile(const FileRequest& request) override;
  std::string RequestSaveFile(const FileRequest& request) override;
  void PutOnClipboard(const std::string& text) override;
  void ShowReport(const std::string& text, double seconds) override;

 private:
  struct Slot {
    FltkToolkit* owner = nullptr;
    int number = 0;
    ControlKind kind = ControlKind::Label;
    Fl_Widget* widget = nullptr;  // owned by the window
    std::string text;             // a label's text as given (FLTK shows it escaped)
  };

  static void OnControl(Fl_Widget* widget, void* slot);
  static void OnWindowClose(Fl_Widget* widget, void* toolkit);
  Slot* Find(int control);
  std::string RunChooser(const FileRequest& request, int type);

  std::unique_ptr<Fl_Double_Window> window_;
  std::vector<std::unique_ptr<Slot>> slots_;  // creation order
  std::vector<Slot*> byNumber_;  // numbers are small: the run asks for boxes per note
  AppEventQueue* events_ = nullptr;
};

}  // namespace tonvert
