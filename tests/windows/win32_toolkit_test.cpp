// The Win32 layer with real windows (wine without an X server): the controls, the messages that reach the loop,
// the status step taking one message, boxes, requesters, clipboard (the program: window_end_to_end.sh).
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <thread>

#include "shell/fake_toolkit.h"  // the settings key in memory
#include "shell/main_window.h"
#include "shell/win32/win32_toolkit.h"

namespace tonvert::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A window's text, or with GetClassNameA its class name.
std::string Read(HWND window, int(WINAPI* get)(HWND, LPSTR, int) = GetWindowTextA) {
  char text[1024] = {};
  get(window, text, sizeof text);
  return text;
}

// A dialog (message box or common dialog) of this process once it is shown, filled in, or null.
HWND FindDialog() {
  HWND dialog = nullptr;
  DWORD process = 0;
  while ((dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr)) != nullptr)
    if (GetWindowThreadProcessId(dialog, &process) && process == GetCurrentProcessId() && IsWindowVisible(dialog))
      return dialog;
  return nullptr;
}

// While `show` shows a dialog and waits, `user` acts on it from another thread.
void WithDialog(const std::function<void()>& show, const std::function<void(HWND)>& user) {
  std::thread other([&] {
    for (const auto end = Clock::now() + 10s; Clock::now() < end; std::this_thread::sleep_for(20ms))
      if (const HWND dialog = FindDialog()) return user(dialog);
  });
  show();
  other.join();
}

// The window the shell's own logic builds on the Win32 layer.
class Win32Window : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.OpenSettingsKey("FARROW_TONVERT");
    registry.values["spread"] = "1";  // its box starts checked
    ASSERT_TRUE(window.Build());
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&message);
  }
  HWND Control(int number) { return toolkit.ControlHandle(number); }
  // Whether one of the test's own clicks waits (the caret's timer may come at any time).
  static bool ClickPending() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_COMMAND, WM_COMMAND, PM_NOREMOVE) != 0;
  }

  FakeRegistry registry;
  Settings settings{registry};
  Win32Toolkit toolkit;
  std::chrono::steady_clock::time_point now{};  // every step repaints: each look is 20 ms later
  MainWindow window{toolkit, settings, WindowsShellPlatform(), RunConversion, {},
                    [this] { return now += kStatusRepaint; }};
};

TEST_F(Win32Window, EveryControlHasTheLayoutsPlaceTextAndWindowsClassWithTheDefaultGuiFont) {
  const HWND main = toolkit.WindowHandle();
  RECT r;
  GetClientRect(main, &r);
  EXPECT_EQ(std::make_tuple(r.right, r.bottom, Read(main)), std::make_tuple(520L, 700L, MainWindowTitle()));
  EXPECT_EQ(GetWindowLongA(main, GWL_STYLE) & (WS_THICKFRAME | WS_VISIBLE), WS_THICKFRAME | WS_VISIBLE);
  // Per kind: the class, a style mask and its value, and whether the edge is sunken.
  const std::map<ControlKind, std::tuple<std::string, LONG, LONG, bool>> kinds = {
      {ControlKind::Frame, {"Button", BS_TYPEMASK, BS_GROUPBOX, false}},
      {ControlKind::Label, {"Static", SS_TYPEMASK, SS_LEFT, false}},
      {ControlKind::Field, {"Edit", ES_AUTOHSCROLL, ES_AUTOHSCROLL, true}},
      {ControlKind::Button, {"Button", BS_TYPEMASK, BS_PUSHBUTTON, false}},
      {ControlKind::CheckBox, {"Button", BS_TYPEMASK, BS_AUTOCHECKBOX, false}}};
  for (const ControlLayout& c : MainWindowControls("c:/song.txt")) {
    const HWND control = Control(c.number);
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(std::make_tuple(GetDlgCtrlID(control), r.left, r.top, r.right - r.left, r.bottom - r.top, Read(control)),
              std::make_tuple(kControlIdBase + c.number, c.x, c.y, c.w, c.h, c.text));
    const auto& [className, mask, style, sunken] = kinds.at(c.kind);
    EXPECT_EQ(std::make_tuple(Read(control, GetClassNameA), GetWindowLongA(control, GWL_STYLE) & mask,
                              (GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0,
                              reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0))),
              std::make_tuple(className, style, sunken, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))))
        << c.number;
  }
  // Tab goes through the controls that take the focus in creation order.
  std::vector<int> created, tabbed;
  for (const ControlLayout& c : MainWindowControls("c:/song.txt"))
    if (c.kind != ControlKind::Frame && c.kind != ControlKind::Label) created.push_back(c.number);
  for (HWND at = GetNextDlgTabItem(main, nullptr, FALSE); at != nullptr && tabbed.size() < created.size();
       at = GetNextDlgTabItem(main, at, FALSE))
    tabbed.push_back(GetDlgCtrlID(at) - kControlIdBase);
  EXPECT_EQ(tabbed, created);
}

TEST_F(Win32Window, ClicksAndTheCloseRequestReachTheLoopButEnterAndEscapeAreNoControls) {
  SendMessageA(Control(ClearButton), BM_CLICK, 0, 0);
  for (const int key : {IDOK, IDCANCEL})  // Enter and Escape, as the dialog manager sends them: no controls
    SendMessageA(toolkit.WindowHandle(), WM_COMMAND, key, LPARAM(GetDlgItem(toolkit.WindowHandle(), key)));
  PostMessageA(Control(window.MapperBoxList()[64].control), BM_CLICK, 0, 0);
  PostMessageA(Control(AutoButton), BM_CLICK, 0, 0);  // no suggestion given: nothing changes
  PostMessageA(Control(TempoChangesBox), BM_CLICK, 0, 0);
  PostMessageA(toolkit.WindowHandle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(window.RunEventLoop(), 0);
  EXPECT_EQ(registry.values["mapper"], std::string(64, '0') + "1" + std::string(47, '0'));
  EXPECT_EQ(registry.values["tempos"] + registry.values["nearest"] + registry.values["spread"] +
                registry.values["arpeggio"],
            "1010");
  EXPECT_EQ(registry.values["out"], "c:/song.txt") << "read from the window before it closed";
  EXPECT_EQ(toolkit.WindowHandle(), nullptr);
}

TEST_F(Win32Window, EachStatusStepTakesExactlyOnePendingMessageAndDropsTheEventItYields) {
  window.ClearMapper();  // a Default acted on would check the default boxes again
  for (int i = 0; i < 3; ++i)
    PostMessageA(toolkit.WindowHandle(), WM_COMMAND, MAKEWPARAM(kControlIdBase + DefaultButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(DefaultButton)));
  window.Step(Stage::ReadingMidi, 0);
  window.Step(Stage::Notes, 0);
  EXPECT_EQ(Read(Control(StatusLine)), "Notes");
  EXPECT_TRUE(ClickPending()) << "two steps took two of three messages";
  window.Step(Stage::Note, 0);
  EXPECT_FALSE(ClickPending());
  for (const MapperBox& box : window.MapperBoxList()) EXPECT_FALSE(toolkit.IsChecked(box.control));
  PostMessageA(Control(window.MapperBoxList()[64].control), BM_CLICK, 0, 0);
  PostMessageA(Control(ArpeggiosBox), BM_CLICK, 0, 0);
  EXPECT_FALSE(window.IsOptionOn(Option::Arpeggios));
  window.Step(Stage::Note, 31);
  window.Step(Stage::Note, 62);
  EXPECT_TRUE(window.IsChannelMapped(5, 0) && window.IsOptionOn(Option::Arpeggios)) << "boxes clicked in a run toggle";
  EXPECT_TRUE(window.IsOptionOn(Option::SpreadChords) && !window.IsOptionOn(Option::NearestRow));
}

TEST_F(Win32Window, BoxesShowTheirTitleTextAndIconAndTheReportClosesAfterItsTime) {
  const struct { std::function<void()> show; std::string seen; bool userCloses; } boxes[] = {
      {[&] { toolkit.ShowMessage({MessageKind::Error, "Error", "Bad file", true}); }, "Error|Bad file|icon", true},
      {[&] { toolkit.ShowMessage({MessageKind::Plain, "Error", "Abnormal EndOfFile encountered.", false}); },
       "Error|Abnormal EndOfFile encountered.|", true},
      {[&] { toolkit.ShowReport("Completed.\r\n\r\nUndefined drum program #40", 30); },
       "|Completed.\r\n\r\nUndefined drum program #40|", true},
      {[&] { toolkit.ShowReport("Completed.", 0.5); }, "|Completed.|", false}};
  for (const auto& box : boxes) {
    std::string seen;
    const auto start = Clock::now();
    WithDialog(box.show, [&](HWND dialog) {
      char text[256] = {};
      GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);  // a message box's text
      bool icon = false;
      EnumChildWindows(dialog, [](HWND child, LPARAM icon) -> BOOL {
        if (IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0) != 0)  // a static holding an icon
          *reinterpret_cast<bool*>(icon) = true;
        return TRUE;
      }, reinterpret_cast<LPARAM>(&icon));
      seen = Read(dialog) + "|" + text + "|" + (icon ? "icon" : "");
      if (box.userCloses) PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(seen, box.seen);
    EXPECT_LT(Clock::now() - start, 5s);
  }
  EXPECT_EQ(FindDialog(), nullptr) << "the report was left open";
}

TEST_F(Win32Window, TheSaveRequesterProposesSongTxtAndACancelledRequesterReturnsNothing) {
  char temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  FileRequest request = OutputFileRequest();
  request.folder = temp;
  std::string seen, path;
  WithDialog([&] { path = toolkit.RequestSaveFile(request); }, [&](HWND dialog) {
    constexpr int kNameBox = 0x47C;  // the common dialogs' name box (cmb13)
    char name[MAX_PATH] = {};
    for (int i = 0; i < 250 && std::string(name) != "song.txt"; ++i) {  // filled after the dialog appears
      std::this_thread::sleep_for(20ms);
      GetDlgItemTextA(dialog, kNameBox, name, sizeof name);
    }
    seen = Read(dialog) + "|" + name;
    SetDlgItemTextA(dialog, kNameBox, (std::string(temp) + "chosen.txt").c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(seen, "Please choose file to save|song.txt");
  EXPECT_EQ(path, std::string(temp) + "chosen.txt");
  WithDialog([&] { path = toolkit.RequestOpenFile(MidiFileRequest("c:\\songs\\tune.mid", '\\')); },
             [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(path, "");
  EXPECT_EQ(Win32FilterText(request.filters), std::string("Text (*.txt)\0*.txt\0All files (*.*)\0*.*\0\0", 40));
}

TEST_F(Win32Window, TheClipboardHoldsThePathAsPlainTextAndAsUnicode) {
  toolkit.PutOnClipboard("c:/\xE6\x9B\xB2.txt");  // UTF-8, the manifest's code page
  ASSERT_TRUE(OpenClipboard(nullptr));
  const auto* text = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)));
  const auto* wide = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
  EXPECT_EQ(std::string(text ? text : ""), "c:/\xE6\x9B\xB2.txt");
  EXPECT_EQ(std::wstring(wide ? wide : L""), L"c:/\x66F2.txt");
  CloseClipboard();
}

}  // namespace
}  // namespace tonvert::test
