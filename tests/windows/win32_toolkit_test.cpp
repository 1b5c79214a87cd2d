// The Win32 layer with real windows (wine without an X server): the window and
// its controls as the layout gives them, the messages that become application
// events, the status step taking exactly one message, the message and report
// boxes, the clipboard, and the whole program from start to close.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "convert/app_state.h"
#include "settings/settings.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/shell_platform.h"
#include "shell/win32/win32_toolkit.h"
#include "shell/window_layout.h"

namespace tonvert {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The settings key in memory, every write recorded in order.
class MemoryRegistry : public Registry {
 public:
  bool CreateRegistryKey(const std::string& path) override {
    key = path;
    return true;
  }
  std::string ReadRegistryValue(const std::string& path, const std::string& name) override {
    return path == key && values.count(name) ? values[name] : "";
  }
  bool WriteRegistryValue(const std::string& path, const std::string& name,
                          const std::string& text) override {
    if (path != key) return false;
    values[name] = text;
    writes.push_back(name);
    return true;
  }
  std::string key;
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;
};

RunOutcome NoRun(AppState&, FrontEnd&, const RunOptions&) { return RunOutcome::Written; }

std::string WindowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

ControlSpec Spec(ControlKind kind, int number, int y, const std::string& text) {
  ControlSpec spec;
  spec.kind = kind;
  spec.number = number;
  spec.x = 10;
  spec.y = y;
  spec.w = 80;
  spec.h = 20;
  spec.text = text;
  return spec;
}

// Whether a message box shows an icon: a visible icon control holding one.
bool ShowsIcon(HWND box) {
  bool shown = false;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM result) -> BOOL {
        if (ClassOf(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0) != 0)
          *reinterpret_cast<bool*>(result) = true;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&shown));
  return shown;
}

// Handles whatever is queued for this thread.
void Drain() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Whether one of the test's own posted clicks waits; the window system's own
// messages (the caret's timer, say) may come at any time and are not counted.
bool ClickPending() {
  MSG message;
  return PeekMessageA(&message, nullptr, WM_COMMAND, WM_COMMAND, PM_NOREMOVE) != 0;
}

// The first message box of this process that another thread shows.
HWND WaitForBox(std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    HWND found = nullptr;
    EnumWindows(
        [](HWND window, LPARAM result) -> BOOL {
          DWORD process = 0;
          GetWindowThreadProcessId(window, &process);
          if (process != GetCurrentProcessId() || ClassOf(window) != "#32770") return TRUE;
          *reinterpret_cast<HWND*>(result) = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found != nullptr) return found;
    std::this_thread::sleep_for(20ms);
  }
  return nullptr;
}

// The window built by the shell's own logic on the Win32 layer.
class Win32Window : public ::testing::Test {
 protected:
  Win32Window() : settings(registry) {
    settings.OpenSettingsKey(kSettingsSubkey);
    window = std::make_unique<MainWindow>(toolkit, settings, state, WindowsShellPlatform(), NoRun);
  }
  void Build() {
    ASSERT_TRUE(window->Build());
    Drain();
  }
  HWND Control(int number) { return toolkit.ControlHandle(number); }
  void PostClick(int number) {
    PostMessageA(toolkit.WindowHandle(), WM_COMMAND,
                 MAKEWPARAM(kControlIdBase + number, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(number)));
  }

  MemoryRegistry registry;
  Settings settings;
  AppState state;
  Win32Toolkit toolkit;
  std::unique_ptr<MainWindow> window;
};

// --- The window and its controls -------------------------------------------------

TEST_F(Win32Window, HasTheLayoutsClientSizeTitleAndFrame) {
  Build();
  const HWND main = toolkit.WindowHandle();
  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(client.right - client.left, kClientWidth);
  EXPECT_EQ(client.bottom - client.top, kClientHeight);
  EXPECT_EQ(WindowText(main), MainWindowTitle());
  const LONG style = GetWindowLongA(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME) << "a sizing border";
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(Win32Window, EveryControlHasItsClassPlaceTextAndTheDefaultGuiFont) {
  registry.values["in"] = "c:\\midi\\song.mid";
  Build();
  const HFONT guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const std::vector<ControlSpec> layout = MainWindowControls("c:/song.txt");
  ASSERT_EQ(layout.size(), 136u);
  for (const ControlSpec& spec : layout) {
    SCOPED_TRACE(spec.number);
    const HWND control = Control(spec.number);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetDlgCtrlID(control), kControlIdBase + spec.number);
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, toolkit.WindowHandle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, spec.x);
    EXPECT_EQ(r.top, spec.y);
    EXPECT_EQ(r.right - r.left, spec.w);
    EXPECT_EQ(r.bottom - r.top, spec.h);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), guiFont);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    switch (spec.kind) {
      case ControlKind::Frame:
        EXPECT_EQ(ClassOf(control), "Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
        break;
      case ControlKind::Label:
        EXPECT_EQ(ClassOf(control), "Static");
        EXPECT_EQ(style & SS_TYPEMASK, SS_LEFT);
        break;
      case ControlKind::Field:
        EXPECT_EQ(ClassOf(control), "Edit");
        EXPECT_TRUE(style & ES_AUTOHSCROLL);
        EXPECT_TRUE(GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "sunken";
        break;
      case ControlKind::Button:
        EXPECT_EQ(ClassOf(control), "Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);
        break;
      case ControlKind::CheckBox:
        EXPECT_EQ(ClassOf(control), "Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX);
        break;
    }
    if (spec.setting.empty()) {
      EXPECT_EQ(WindowText(control), spec.text);
    }
  }
  EXPECT_EQ(WindowText(Control(MidiPathField)), "c:\\midi\\song.mid");
  EXPECT_EQ(WindowText(Control(OutputPathField)), "c:/song.txt") << "the default of \"out\"";
  EXPECT_EQ(WindowText(Control(StatusLine)), "Load complete");
}

TEST_F(Win32Window, TabVisitsTheControlsThatTakeFocusInCreationOrder) {
  Build();
  std::vector<HWND> expected;
  for (const ControlSpec& spec : MainWindowControls("c:/song.txt"))
    if (spec.kind != ControlKind::Frame && spec.kind != ControlKind::Label)
      expected.push_back(Control(spec.number));
  std::vector<HWND> visited;
  HWND at = GetNextDlgTabItem(toolkit.WindowHandle(), nullptr, FALSE);
  for (size_t i = 0; i < expected.size() && at != nullptr; ++i) {
    visited.push_back(at);
    at = GetNextDlgTabItem(toolkit.WindowHandle(), at, FALSE);
  }
  EXPECT_EQ(visited, expected);
  EXPECT_EQ(at, expected.front()) << "and round again";
}

TEST_F(Win32Window, TextsChecksAndEnablingGoThroughTheControls) {
  Build();
  toolkit.SetText(RowsField, "$20");
  EXPECT_EQ(toolkit.Text(RowsField), "$20");
  const std::string longPath = "c:/" + std::string(40000, 'p') + ".mid";
  toolkit.SetText(MidiPathField, longPath);
  EXPECT_EQ(toolkit.Text(MidiPathField), longPath) << "no length limit";
  toolkit.SetText(StatusLine, "Note #31 & more");
  EXPECT_EQ(WindowText(Control(StatusLine)), "Note #31 & more");
  const int box = window->MapperBoxList()[4].box;
  toolkit.SetChecked(box, true);
  EXPECT_TRUE(toolkit.IsChecked(box));
  EXPECT_EQ(SendMessageA(Control(box), BM_GETCHECK, 0, 0), BST_CHECKED);
  toolkit.SetChecked(box, false);
  EXPECT_FALSE(toolkit.IsChecked(box));
  toolkit.EnableControl(GoButton, false);
  EXPECT_FALSE(IsWindowEnabled(Control(GoButton)));
  toolkit.EnableControl(GoButton, true);
  EXPECT_TRUE(IsWindowEnabled(Control(GoButton)));
}

// --- Messages and events --------------------------------------------------------

TEST(Win32Events, ClicksEditsAndTheCloseBoxBecomeApplicationEvents) {
  Win32Toolkit toolkit;
  AppEventQueue events;
  ASSERT_TRUE(toolkit.OpenWindow("t", 200, 100, events));
  toolkit.CreateControl(Spec(ControlKind::Button, DefaultButton, 0, "Default"));
  toolkit.CreateControl(Spec(ControlKind::Field, RowsField, 30, "64"));
  toolkit.CreateControl(Spec(ControlKind::CheckBox, 42, 60, "1"));
  toolkit.CreateControl(Spec(ControlKind::Label, StatusLine, 90, "Load complete"));
  toolkit.ShowWindow();
  Drain();
  events.Clear();

  SendMessageA(toolkit.ControlHandle(DefaultButton), BM_CLICK, 0, 0);
  SendMessageA(toolkit.ControlHandle(42), BM_CLICK, 0, 0);
  EXPECT_TRUE(toolkit.IsChecked(42)) << "an automatic check box toggles by itself";
  toolkit.SetText(RowsField, "32");  // the program's own change is no event
  SendMessageA(toolkit.ControlHandle(RowsField), WM_CHAR, '1', 0);
  toolkit.SetText(StatusLine, "Reading MIDI");
  SendMessageA(toolkit.WindowHandle(), WM_CLOSE, 0, 0);
  std::vector<AppEvent> got;
  while (!events.Empty()) got.push_back(events.Take());
  const std::vector<AppEvent> expected = {{AppEvent::Kind::Control, DefaultButton},
                                          {AppEvent::Kind::Control, 42},
                                          {AppEvent::Kind::Control, RowsField},
                                          {AppEvent::Kind::Close, 0}};
  EXPECT_EQ(got, expected);
  EXPECT_TRUE(IsWindow(toolkit.WindowHandle())) << "closing is the close sequence's";

  // Enter and Escape reach the window as IDOK (1) and IDCANCEL (2): not controls.
  SendMessageA(toolkit.WindowHandle(), WM_COMMAND, IDOK, 0);
  SendMessageA(toolkit.WindowHandle(), WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(events.Empty());
  toolkit.CloseWindow();
  EXPECT_EQ(toolkit.WindowHandle(), nullptr);
}

TEST_F(Win32Window, AStatusStepTakesExactlyOnePendingMessage) {
  Build();
  for (int i = 0; i < 3; ++i) PostClick(ClearButton);
  toolkit.HandlePendingEvents();
  toolkit.HandlePendingEvents();
  EXPECT_TRUE(ClickPending()) << "two steps took two of three messages";
  toolkit.HandlePendingEvents();
  EXPECT_FALSE(ClickPending());
  const auto start = Clock::now();
  toolkit.HandlePendingEvents();  // nothing pending: returns at once
  EXPECT_LT(Clock::now() - start, 500ms);
}

TEST_F(Win32Window, SetStatusShowsTheTextAndDropsTheEventItsStepYields) {
  Build();
  // Default would check the default boxes again; the step must not act on it.
  window->ClearMapper();
  PostClick(DefaultButton);
  PostClick(DefaultButton);
  window->SetStatus("Reading MIDI");
  EXPECT_EQ(WindowText(Control(StatusLine)), "Reading MIDI");
  EXPECT_TRUE(ClickPending()) << "one step, one message";
  window->SetStatus("Notes");
  EXPECT_FALSE(ClickPending());
  for (const MapperBox& box : window->MapperBoxList()) EXPECT_FALSE(toolkit.IsChecked(box.box));

  // A check box clicked during a run still toggles.
  const int box = window->MapperBoxList()[64].box;
  PostMessageA(Control(box), BM_CLICK, 0, 0);
  window->SetStatus("Note #0");
  EXPECT_TRUE(toolkit.IsChecked(box));
  EXPECT_TRUE(window->IsChannelMapped(5, 0));
}

// --- Boxes, clipboard ------------------------------------------------------------

TEST_F(Win32Window, MessageBoxesCarryTheirTitleTextAndIcon) {
  Build();
  struct Seen {
    std::string title, text;
    bool icon = false;
  };
  for (const auto& [message, wantIcon] :
       {std::pair{Message{MessageKind::Error, "Error", "Bad file", true}, true},
        std::pair{Message{MessageKind::Plain, "Error", "Abnormal EndOfFile encountered.", false}, false}}) {
    Seen seen;
    std::thread user([&] {
      const HWND box = WaitForBox(10s);
      if (box == nullptr) return;
      seen.title = WindowText(box);
      char text[256] = {};
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the box's text
      seen.text = text;
      seen.icon = ShowsIcon(box);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    toolkit.ShowMessage(message);
    user.join();
    EXPECT_EQ(seen.title, message.title);
    EXPECT_EQ(seen.text, message.text);
    EXPECT_EQ(seen.icon, wantIcon) << message.text;
  }
}

TEST_F(Win32Window, TheReportIsClosedAfterItsTimeIfStillOpen) {
  Build();
  std::atomic<bool> sawBox{false};
  std::string title = "?";
  std::thread watcher([&] {
    const HWND box = WaitForBox(5s);
    sawBox = box != nullptr;
    if (box != nullptr) title = WindowText(box);
  });
  const auto start = Clock::now();
  toolkit.ShowReport("Completed.\r\n\r\nUndefined instrument program #5", 0.5);
  const auto took = Clock::now() - start;
  watcher.join();
  EXPECT_TRUE(sawBox);
  EXPECT_EQ(title, "") << "an empty title";
  EXPECT_GE(took, 450ms);
  EXPECT_LT(took, 3s);
  EXPECT_EQ(WaitForBox(300ms), nullptr) << "the box is gone";
}

TEST_F(Win32Window, TheReportReturnsWhenTheUserClosesItEarlier) {
  Build();
  std::thread user([] {
    const HWND box = WaitForBox(5s);
    if (box != nullptr) PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  const auto start = Clock::now();
  toolkit.ShowReport("Completed.\r\n\r\nUndefined drum program #40", 30);
  user.join();
  EXPECT_LT(Clock::now() - start, 10s);
}

TEST_F(Win32Window, TheClipboardHoldsThePathAsPlainText) {
  Build();
  toolkit.PutOnClipboard("c:/songs/\xE6\x9B\xB2.txt");
  ASSERT_TRUE(OpenClipboard(nullptr));
  const HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(data))), "c:/songs/\xE6\x9B\xB2.txt");
  GlobalUnlock(data);
  // Programs that read Unicode get the character, not its UTF-8 bytes.
  const HANDLE wide = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(GlobalLock(wide))), L"c:/songs/\x66F2.txt");
  GlobalUnlock(wide);
  CloseClipboard();
}

TEST_F(Win32Window, TheSaveRequesterProposesSongTxtAndReturnsThePathChosen) {
  Build();
  char temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string chosen = std::string(temp) + "chosen.txt";
  std::string title = "?", proposed = "?";
  std::thread user([&] {
    const HWND dialog = WaitForBox(10s);
    if (dialog == nullptr) return;
    constexpr int kFileNameBox = 0x47C;  // the name box of the common dialogs (cmb13)
    // The dialog fills its controls after it appears.
    for (int i = 0; i < 250 && proposed != "song.txt"; ++i) {
      char name[MAX_PATH] = {};
      GetDlgItemTextA(dialog, kFileNameBox, name, sizeof name);
      proposed = name;
      std::this_thread::sleep_for(20ms);
    }
    title = WindowText(dialog);
    SetDlgItemTextA(dialog, kFileNameBox, chosen.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  FileRequest request = OutputFileRequest();
  request.folder = temp;
  const std::string path = toolkit.RequestSaveFile(request);
  user.join();
  EXPECT_EQ(title, "Please choose file to save");
  EXPECT_EQ(proposed, "song.txt");
  EXPECT_EQ(path, chosen);
}

TEST_F(Win32Window, ACancelledOpenRequesterReturnsNothing) {
  Build();
  std::thread user([] {
    const HWND dialog = WaitForBox(10s);
    if (dialog != nullptr) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  const std::string path = toolkit.RequestOpenFile(MidiFileRequest("c:\\songs\\tune.mid", '\\'));
  user.join();
  EXPECT_EQ(path, "");
}

TEST(Win32Filters, PairsEndInZerosAsTheCommonDialogsRead) {
  EXPECT_EQ(Win32FilterText({{"MIDI", "*.MID"}}), std::string("MIDI\0*.MID\0\0", 12));
  EXPECT_EQ(Win32FilterText(OutputFileRequest().filters),
            std::string("Text (*.txt)\0*.txt\0All files (*.*)\0*.*\0\0", 40));
}

// --- The whole program -------------------------------------------------------------

TEST(Win32Program, GoRunsWithTheButtonDisabledAndCloseStoresTheSettings) {
  MemoryRegistry registry;
  registry.CreateRegistryKey("HKEY_CURRENT_USER\\SOFTWARE\\Farrow\\FARROW_TONVERT");
  registry.values = {{"in", "c:\\a.mid"}, {"rpp", "32"}};
  Win32Toolkit toolkit;
  std::vector<bool> goEnabledDuringRun;
  std::vector<std::string> fieldsSeen;
  // The user: wait for the window, press Go!, then close it.
  std::thread user([&] {
    // Once the window is shown, all its controls exist.
    HWND main = nullptr;
    for (int i = 0; i < 500 && (main == nullptr || !IsWindowVisible(main)); ++i) {
      main = FindWindowA(nullptr, MainWindowTitle().c_str());
      std::this_thread::sleep_for(20ms);
    }
    const HWND go = GetDlgItem(main, kControlIdBase + GoButton);
    if (go == nullptr) return;
    PostMessageA(go, BM_CLICK, 0, 0);
    std::this_thread::sleep_for(300ms);
    PostMessageA(main, WM_CLOSE, 0, 0);
  });
  const int code = RunApplication(
      toolkit, registry, WindowsShellPlatform(),
      [&](AppState&, FrontEnd& frontEnd, const RunOptions&) {
        goEnabledDuringRun.push_back(IsWindowEnabled(toolkit.ControlHandle(GoButton)) != 0);
        fieldsSeen = {frontEnd.FieldText(Field::MidiPath), frontEnd.FieldText(Field::Rows),
                      frontEnd.FieldText(Field::OutputPath)};
        return RunOutcome::Written;
      });
  user.join();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(registry.key, "HKEY_CURRENT_USER\\SOFTWARE\\Farrow\\FARROW_TONVERT");
  EXPECT_EQ(goEnabledDuringRun, std::vector<bool>{false});
  EXPECT_EQ(fieldsSeen, (std::vector<std::string>{"c:\\a.mid", "32", "c:/song.txt"}));
  EXPECT_EQ(registry.writes, (std::vector<std::string>{"in", "out", "rpp", "ticks", "mapper"}));
  EXPECT_EQ(registry.values["out"], "c:/song.txt");
  EXPECT_EQ(registry.values["ticks"], "36");
  EXPECT_EQ(registry.values["mapper"].size(), 112u);
  EXPECT_EQ(toolkit.WindowHandle(), nullptr) << "the window is closed";
}

}  // namespace
}  // namespace tonvert
