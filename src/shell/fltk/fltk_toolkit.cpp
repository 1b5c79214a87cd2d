#include "shell/fltk/fltk_toolkit.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>

namespace tonvert {

namespace {

// Windows' default GUI font is about 13 pixels high; this size keeps labels,
// fields and check boxes inside their 20-pixel rows.
constexpr Fl_Fontsize kFontSize = 12;

// FLTK reads "@" in a label as the start of a symbol; "@@" draws one "@".
std::string LabelText(const std::string& text) {
  std::string shown;
  for (char c : text) {
    shown += c;
    if (c == '@') shown += '@';
  }
  return shown;
}

// Texts of the core end lines with CR LF; FLTK would draw the CR as "^M".
std::string WithoutCarriageReturns(const std::string& text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r')
      shown += text[i];
    else if (i + 1 == text.size() || text[i + 1] != '\n')
      shown += '\n';
  }
  return shown;
}

// A group box: an engraved frame whose caption interrupts the top line at the
// left, the frame line running through the middle of the caption.
class GroupFrame : public Fl_Box {
 public:
  GroupFrame(int x, int y, int w, int h, std::string caption)
      : Fl_Box(x, y, w, h), caption_(std::move(caption)) {}

  void draw() override {
    fl_font(FL_HELVETICA, kFontSize);
    const int half = fl_height() / 2;
    draw_box(FL_ENGRAVED_FRAME, x(), y() + half, w(), h() - half, color());
    if (caption_.empty()) return;
    const int width = static_cast<int>(fl_width(caption_.c_str()));
    fl_color(color());
    fl_rectf(x() + 6, y(), width + 4, fl_height());
    fl_color(active_r() ? FL_FOREGROUND_COLOR : fl_inactive(FL_FOREGROUND_COLOR));
    fl_draw(caption_.c_str(), x() + 8, y() + fl_height() - fl_descent());
  }

 private:
  std::string caption_;
};

void HideWindowOf(Fl_Widget* widget, void*) { widget->window()->hide(); }

// A modal box with a title, an optional icon, the text and an OK button. Returns
// when the box is closed (OK, Enter, Escape, the close box) or, when `seconds`
// is above 0, once that time has passed.
void RunBox(const std::string& title, const std::string& text, MessageKind kind,
            double seconds, Fl_Window* over) {
  const std::string shown = LabelText(WithoutCarriageReturns(text));
  fl_font(FL_HELVETICA, kFontSize);
  int textW = 0, textH = 0;
  fl_measure(shown.c_str(), textW, textH);
  const bool hasIcon = kind != MessageKind::Plain;
  const int iconW = hasIcon ? 42 : 0;
  const int bodyH = std::max(textH, hasIcon ? 32 : 0);
  const int width = std::max(20 + iconW + textW, 200);
  const int height = 10 + bodyH + 15 + 25 + 10;

  Fl_Window box(width, height);
  box.copy_label(title.c_str());
  if (hasIcon) {
    auto* icon = new Fl_Box(10, 10, 32, 32, kind == MessageKind::Error ? "X" : "i");
    icon->box(FL_OVAL_BOX);
    icon->color(kind == MessageKind::Error ? FL_RED : FL_BLUE);
    icon->labelcolor(FL_WHITE);
    icon->labelfont(FL_HELVETICA_BOLD);
    icon->labelsize(20);
  }
  auto* body = new Fl_Box(10 + iconW, 10, textW, bodyH);
  body->copy_label(shown.c_str());
  body->labelsize(kFontSize);
  body->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
  auto* ok = new Fl_Return_Button((width - 80) / 2, height - 35, 80, 25, "OK");
  ok->labelsize(kFontSize);
  ok->callback(HideWindowOf);
  box.end();
  box.set_modal();
  if (over != nullptr && over->shown())
    box.position(over->x() + (over->w() - width) / 2, over->y() + (over->h() - height) / 2);
  box.show();

  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
  while (box.shown()) {
    if (seconds <= 0) {
      Fl::wait();
      continue;
    }
    const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
    if (left <= 0) break;
    Fl::wait(left);
  }
  box.hide();
}

std::string FltkPattern(const std::string& pattern) {
  if (pattern == "*.*") return "*";
  std::string out;
  for (unsigned char c : pattern) {
    if (std::isalpha(c)) {
      out += '[';
      out += static_cast<char>(std::toupper(c));
      out += static_cast<char>(std::tolower(c));
      out += ']';
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// FLTK's own chooser takes the pattern from the first "(" of an entry, so a
// description keeps only its text before any parenthesis.
std::string FltkDescription(const std::string& description) {
  std::string out = description.substr(0, description.find('('));
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

}  // namespace

std::string FltkFilterText(const std::vector<FileFilter>& filters) {
  std::string text;
  for (const FileFilter& filter : filters) {
    if (!text.empty()) text += '\n';
    text += FltkDescription(filter.description) + '\t' + FltkPattern(filter.pattern);
  }
  return text;
}

FltkToolkit::FltkToolkit() = default;
FltkToolkit::~FltkToolkit() = default;

bool FltkToolkit::OpenWindow(const std::string& title, int width, int height,
                             AppEventQueue& events) {
  events_ = &events;
  FL_NORMAL_SIZE = kFontSize;
  // Opening the display is FLTK's: without one it reports "Can't open display"
  // and ends the process.
  int sx = 0, sy = 0, sw = 0, sh = 0;
  Fl::screen_work_area(sx, sy, sw, sh);
  window_ = std::make_unique<Fl_Double_Window>(width, height);
  window_->end();
  window_->copy_label(title.c_str());
  window_->callback(OnWindowClose, this);
  window_->position(sx + std::max(0, (sw - width) / 2), sy + std::max(0, (sh - height) / 2));
  return true;
}

void FltkToolkit::CreateControl(const ControlLayout& control) {
  auto slot = std::make_unique<Slot>();
  slot->owner = this;
  slot->number = control.number;
  slot->kind = control.kind;
  slot->text = control.text;
  const int x = control.x, y = control.y, w = control.w, h = control.h;
  Fl_Widget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::Frame:
      widget = new GroupFrame(x, y, w, h, control.text);
      break;
    case ControlKind::Label: {
      // A flat box repaints its background, so a changed text leaves no trace.
      auto* label = new Fl_Box(FL_FLAT_BOX, x, y, w, h, nullptr);
      label->copy_label(LabelText(control.text).c_str());
      label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
      widget = label;
      break;
    }
    case ControlKind::Field: {
      auto* field = new Fl_Input(x, y, w, h);
      field->value(control.text.c_str());
      field->when(FL_WHEN_CHANGED);  // every edit is an event, as on Windows
      widget = field;
      break;
    }
    case ControlKind::Button:
      widget = new Fl_Button(x, y, w, h);
      widget->copy_label(LabelText(control.text).c_str());
      break;
    case ControlKind::CheckBox:
      widget = new Fl_Check_Button(x, y, w, h);
      widget->copy_label(LabelText(control.text).c_str());
      break;
  }
  widget->labelsize(kFontSize);
  if (control.kind == ControlKind::Field || control.kind == ControlKind::Button ||
      control.kind == ControlKind::CheckBox)
    widget->callback(OnControl, slot.get());
  // Children in creation order: FLTK's Tab moves through them in that order.
  window_->add(widget);
  slot->widget = widget;
  if (byNumber_.size() <= static_cast<size_t>(control.number))
    byNumber_.resize(control.number + 1, nullptr);
  byNumber_[control.number] = slot.get();
  slots_.push_back(std::move(slot));
}

void FltkToolkit::ShowWindow() {
  // An empty box beyond the bottom right corner takes every change of size, so
  // the window can be resized while all controls keep their places.
  auto* corner = new Fl_Box(window_->w(), window_->h(), 0, 0);
  window_->add(corner);
  window_->resizable(corner);
  window_->size_range(100, 100);
  window_->show();
}

void FltkToolkit::CloseWindow() {
  if (window_) window_->hide();
}

FltkToolkit::Slot* FltkToolkit::Find(int control) {
  return control >= 0 && static_cast<size_t>(control) < byNumber_.size() ? byNumber_[control]
                                                                          : nullptr;
}

std::string FltkToolkit::Text(int control) {
  Slot* slot = Find(control);
  if (slot == nullptr) return {};
  if (slot->kind == ControlKind::Field) return static_cast<Fl_Input*>(slot->widget)->value();
  return slot->text;
}

void FltkToolkit::SetText(int control, const std::string& text) {
  Slot* slot = Find(control);
  if (slot == nullptr) return;
  slot->text = text;
  if (slot->kind == ControlKind::Field) {
    static_cast<Fl_Input*>(slot->widget)->value(text.c_str());
  } else if (slot->kind != ControlKind::Frame) {
    slot->widget->copy_label(LabelText(text).c_str());
    slot->widget->redraw();
  }
}

bool FltkToolkit::IsChecked(int control) {
  Slot* slot = Find(control);
  return slot != nullptr && slot->kind == ControlKind::CheckBox &&
         static_cast<Fl_Button*>(slot->widget)->value() != 0;
}

void FltkToolkit::SetChecked(int control, bool checked) {
  Slot* slot = Find(control);
  if (slot != nullptr && slot->kind == ControlKind::CheckBox)
    static_cast<Fl_Button*>(slot->widget)->value(checked ? 1 : 0);
}

void FltkToolkit::EnableControl(int control, bool enabled) {
  Slot* slot = Find(control);
  if (slot == nullptr) return;
  if (enabled)
    slot->widget->activate();
  else
    slot->widget->deactivate();
}

void FltkToolkit::WaitForEvents() {
  // Fl::wait() returns 0 at once when no window is shown; rather than spin, the
  // loop is told the window is gone.
  if (Fl::wait() == 0 && Fl::first_window() == nullptr)
    events_->Post({AppEvent::Kind::Close, 0});
}

void FltkToolkit::HandlePendingEvents() { Fl::check(); }

void FltkToolkit::ShowMessage(const Message& message) {
  RunBox(message.title, message.text, message.kind, 0, window_.get());
}

std::string FltkToolkit::RunChooser(const FileRequest& request, int type) {
  Fl_Native_File_Chooser chooser(type);
  chooser.title(request.title.c_str());
  const std::string filter = FltkFilterText(request.filters);
  chooser.filter(filter.c_str());
  chooser.filter_value(request.selectedFilter);  // after the filter, which resets it
  // No proposed folder means the requester's usual one. GTK's save dialog has
  // none ("Please select a folder"), so it opens in the current folder, where
  // the Windows requesters open too.
  std::string folder = request.folder;
  if (folder.empty()) {
    std::error_code ignored;
    folder = std::filesystem::current_path(ignored).string();
  }
  if (!folder.empty()) chooser.directory(folder.c_str());
  if (!request.name.empty()) chooser.preset_file(request.name.c_str());
  // No overwrite question and no added extension.
  chooser.options(Fl_Native_File_Chooser::NO_OPTIONS);
  if (chooser.show() != 0) return {};
  const char* path = chooser.filename();
  return path != nullptr ? path : "";
}

std::string FltkToolkit::RequestOpenFile(const FileRequest& request) {
  return RunChooser(request, Fl_Native_File_Chooser::BROWSE_FILE);
}

std::string FltkToolkit::RequestSaveFile(const FileRequest& request) {
  return RunChooser(request, Fl_Native_File_Chooser::BROWSE_SAVE_FILE);
}

void FltkToolkit::PutOnClipboard(const std::string& text) {
  Fl::copy(text.data(), static_cast<int>(text.size()), 1);
}

void FltkToolkit::ShowReport(const std::string& text, double seconds) {
  RunBox("", text, MessageKind::Plain, seconds, window_.get());
}

void FltkToolkit::OnControl(Fl_Widget*, void* data) {
  auto* slot = static_cast<Slot*>(data);
  slot->owner->events_->Post({AppEvent::Kind::Control, slot->number});
}

void FltkToolkit::OnWindowClose(Fl_Widget*, void* data) {
  // FLTK also calls the window's callback for Escape; only the window
  // manager's close request is one.
  if (Fl::event() != FL_CLOSE) return;
  static_cast<FltkToolkit*>(data)->events_->Post({AppEvent::Kind::Close, 0});
}

}  // namespace tonvert
