#include "shell/win32/win32_toolkit.h"

#include <commdlg.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <thread>

namespace tonvert {

namespace {

constexpr char kWindowClass[] = "TonvertMainWindow";
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;  // no min/max box

// The report box is the only top-level window of its thread.
BOOL CALLBACK CloseReportBox(HWND box, LPARAM) {
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return TRUE;
}

}  // namespace

Win32ControlClass ControlClassFor(ControlKind kind) {
  constexpr DWORD child = WS_CHILD | WS_VISIBLE;
  switch (kind) {
    case ControlKind::Frame: return {"Button", child | BS_GROUPBOX, 0};
    // No prefix: an "&" in a status text is shown, not taken as a mnemonic.
    case ControlKind::Label: return {"Static", child | SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::Field:
      return {"Edit", child | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Button: return {"Button", child | WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::CheckBox: return {"Button", child | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
  }
  return {"Static", child, 0};
}

std::string Win32FilterText(const std::vector<FileFilter>& filters) {
  std::string text;
  for (const FileFilter& filter : filters) {
    text += filter.description;
    text += '\0';
    text += filter.pattern;
    text += '\0';
  }
  text += '\0';
  return text;
}

Win32Toolkit::Win32Toolkit() = default;

Win32Toolkit::~Win32Toolkit() {
  if (window_ != nullptr) DestroyWindow(window_);
}

bool Win32Toolkit::OpenWindow(const std::string& title, int width, int height,
                              AppEventQueue& events) {
  events_ = &events;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  if (RegisterClassExA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;

  // The client area has the layout's size; the outer size is limited to the
  // screen and the window centred on it.
  RECT outer = {0, 0, width, height};
  AdjustWindowRectEx(&outer, kWindowStyle, FALSE, 0);
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  const int outerW = std::min<int>(outer.right - outer.left, screenW);
  const int outerH = std::min<int>(outer.bottom - outer.top, screenH);
  window_ = CreateWindowExA(0, kWindowClass, title.c_str(), kWindowStyle, (screenW - outerW) / 2,
                            (screenH - outerH) / 2, outerW, outerH, nullptr, nullptr, instance, this);
  if (window_ == nullptr) return false;
  font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  return true;
}

void Win32Toolkit::CreateControl(const ControlLayout& control) {
  const Win32ControlClass windowClass = ControlClassFor(control.kind);
  // Creation order is the z-order, which is the dialog manager's Tab order.
  const HWND handle = CreateWindowExA(
      windowClass.exStyle, windowClass.className, control.text.c_str(), windowClass.style,
      control.x, control.y, control.w, control.h, window_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + control.number)),
      GetModuleHandleA(nullptr), nullptr);
  if (handle == nullptr) return;
  SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  // A stored path of any length is shown whole, not cut at the default limit.
  if (control.kind == ControlKind::Field) SendMessageA(handle, EM_SETLIMITTEXT, 0, 0);
  slots_.push_back({control.number, control.kind, handle});
}

void Win32Toolkit::ShowWindow() {
  ::ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  // The keyboard starts on the first control that takes focus.
  const HWND first = GetNextDlgTabItem(window_, nullptr, FALSE);
  if (first != nullptr) SetFocus(first);
}

void Win32Toolkit::CloseWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  window_ = nullptr;
  slots_.clear();
}

const Win32Toolkit::Slot* Win32Toolkit::Find(int control) const {
  for (const Slot& slot : slots_)
    if (slot.number == control) return &slot;
  return nullptr;
}

HWND Win32Toolkit::ControlHandle(int control) const {
  const Slot* slot = Find(control);
  return slot != nullptr ? slot->handle : nullptr;
}

std::string Win32Toolkit::Text(int control) {
  const Slot* slot = Find(control);
  if (slot == nullptr) return {};
  const int length = GetWindowTextLengthA(slot->handle);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(slot->handle, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

void Win32Toolkit::SetText(int control, const std::string& text) {
  const Slot* slot = Find(control);
  if (slot == nullptr) return;
  settingText_ = true;
  SetWindowTextA(slot->handle, text.c_str());
  settingText_ = false;
}

bool Win32Toolkit::IsChecked(int control) {
  const Slot* slot = Find(control);
  return slot != nullptr && slot->kind == ControlKind::CheckBox &&
         SendMessageA(slot->handle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Toolkit::SetChecked(int control, bool checked) {
  const Slot* slot = Find(control);
  if (slot != nullptr && slot->kind == ControlKind::CheckBox)
    SendMessageA(slot->handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Toolkit::EnableControl(int control, bool enabled) {
  const Slot* slot = Find(control);
  if (slot == nullptr) return;
  EnableWindow(slot->handle, enabled ? TRUE : FALSE);
  // A disabled Go! loses the focus; it gets it back so the keyboard still works.
  if (enabled && GetFocus() == nullptr && GetActiveWindow() == window_) SetFocus(slot->handle);
}

void Win32Toolkit::Dispatch(MSG& message) {
  // Tab, Shift+Tab and Space go through the dialog manager, as in a dialog box.
  if (window_ != nullptr && IsDialogMessageA(window_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void Win32Toolkit::WaitForEvents() {
  MSG message;
  const BOOL got = GetMessageA(&message, nullptr, 0, 0);
  if (got <= 0) {
    // WM_QUIT or a broken queue: nothing more will come, so the loop is told
    // that the window goes rather than left waiting.
    events_->Post({AppEvent::Kind::Close, 0});
    return;
  }
  Dispatch(message);
}

void Win32Toolkit::HandlePendingEvents() {
  MSG message;
  if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) Dispatch(message);
}

void Win32Toolkit::ShowMessage(const Message& message) {
  UINT icon = 0;
  if (message.kind == MessageKind::Error) icon = MB_ICONERROR;
  if (message.kind == MessageKind::Information) icon = MB_ICONINFORMATION;
  MessageBoxA(window_, message.text.c_str(), message.title.c_str(), MB_OK | icon);
}

std::string Win32Toolkit::RunFileDialog(const FileRequest& request, bool save) {
  const std::string filter = Win32FilterText(request.filters);
  std::string file(32768, '\0');  // the chosen path; starts as the proposed name
  std::copy_n(request.name.begin(), std::min(request.name.size(), file.size() - 1), file.begin());
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(request.selectedFilter + 1);
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = request.folder.empty() ? nullptr : request.folder.c_str();
  dialog.lpstrTitle = request.title.c_str();
  // Only the folder must exist; no question before replacing a file, no
  // extension added, and the current folder (where the INI files are read)
  // stays.
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (!chosen) return {};
  return std::string(file.c_str());
}

std::string Win32Toolkit::RequestOpenFile(const FileRequest& request) {
  return RunFileDialog(request, false);
}

std::string Win32Toolkit::RequestSaveFile(const FileRequest& request) {
  return RunFileDialog(request, true);
}

namespace {

// Hands `size` bytes to the clipboard as `format`; the clipboard owns them then.
void SetClipboardBytes(UINT format, const void* data, size_t size) {
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return;
  std::memcpy(GlobalLock(memory), data, size);
  GlobalUnlock(memory);
  if (SetClipboardData(format, memory) == nullptr) GlobalFree(memory);
}

}  // namespace

void Win32Toolkit::PutOnClipboard(const std::string& text) {
  // Another program may hold the clipboard for a moment.
  bool open = false;
  for (int attempt = 0; attempt < 10 && !(open = OpenClipboard(window_)); ++attempt) Sleep(10);
  if (!open) return;
  EmptyClipboard();
  SetClipboardBytes(CF_TEXT, text.c_str(), text.size() + 1);
  // The same text as Unicode too: the system would derive it from the plain
  // text with the machine's code page, not this program's UTF-8, and so spoil
  // every name outside ASCII for programs that read Unicode.
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length > 0) {
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    SetClipboardBytes(CF_UNICODETEXT, wide.c_str(), wide.size() * sizeof(wchar_t));
  }
  CloseClipboard();
}

void Win32Toolkit::ShowReport(const std::string& text, double seconds) {
  std::atomic<DWORD> threadId{0};
  std::promise<void> closed;
  std::future<void> boxClosed = closed.get_future();
  // No owner: the box's thread would otherwise wait on this one, which does not
  // take messages while it waits.
  std::thread reportThread([&] {
    threadId = GetCurrentThreadId();
    MessageBoxA(nullptr, text.c_str(), "", MB_OK | MB_SETFOREGROUND);
    closed.set_value();
  });
  const auto limit = std::chrono::duration<double>(std::max(seconds, 0.0));
  if (boxClosed.wait_for(limit) == std::future_status::timeout) {
    // Closed with a message, as OK closes it: a terminated thread would leave
    // the box's resources behind. Posted again until the box is gone, in case
    // it was not up yet.
    do {
      const DWORD id = threadId;
      if (id != 0) EnumThreadWindows(id, CloseReportBox, 0);
    } while (boxClosed.wait_for(std::chrono::milliseconds(50)) == std::future_status::timeout);
  }
  reportThread.join();
}

LRESULT CALLBACK Win32Toolkit::WindowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Toolkit*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr && self->window_ == window) return self->OnMessage(message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT Win32Toolkit::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      const Slot* slot = lParam != 0 && id >= kControlIdBase ? Find(id - kControlIdBase) : nullptr;
      if (slot == nullptr) return 0;
      const bool clicked = (slot->kind == ControlKind::Button || slot->kind == ControlKind::CheckBox) &&
                           code == BN_CLICKED;
      const bool edited = slot->kind == ControlKind::Field && code == EN_CHANGE && !settingText_;
      if (clicked || edited) events_->Post({AppEvent::Kind::Control, slot->number});
      return 0;
    }
    case WM_CLOSE:
      // The close box, Alt+F4 or a close request of another program: the event
      // loop runs the close sequence, which destroys the window.
      events_->Post({AppEvent::Kind::Close, 0});
      return 0;
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

}  // namespace tonvert
