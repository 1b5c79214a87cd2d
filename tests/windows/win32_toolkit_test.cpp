// The Win32 layer with real windows (wine without an X server): the messages
// that reach the loop and the status step taking one message. The program as a
// whole: tests/shell/window_end_to_end.sh under wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>

#include "shell/fake_toolkit.h"  // the settings key in memory
#include "shell/main_window.h"
#include "shell/win32/win32_toolkit.h"

namespace tonvert::test {
namespace {

// A window's text, or with GetClassNameA its class name.
std::string Read(HWND window, int(WINAPI* get)(HWND, LPSTR, int) = GetWindowTextA) {
  char text[1024] = {};
  get(window, text, sizeof text);
  return text;
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

}  // namespace
}  // namespace tonvert::test
