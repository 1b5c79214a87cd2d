// Whole conversions started from the window's Go! button (fake toolkit, real
// run): the boxes as they stand when each note is placed, repeated runs, and a
// MIDI file that cannot be opened.
#include <gtest/gtest.h>

#include <sstream>

#include "fake_toolkit.h"
#include "shell/main_window.h"
#include "shell/window_layout.h"
#include "support/midi_builder.h"
#include "support/temp_dir.h"

namespace tonvert::test {
namespace {

constexpr const char* kInstruments =
    "[0]\r\nMidiInstrument=Lead\r\nFTMacroVolume=-1 -1 0 : 15 12 9\r\n";

// `count` sixteenth notes on MIDI channel 1 (48 ticks a quarter, so one a row).
Bytes Sixteenths(int count) {
  Track t;
  t.Tempo(0, 500000).Program(0, 0, 0);
  for (int i = 0; i < count; ++i) t.NoteOn(0, 0, 60 + i % 12, 100).NoteOff(12, 0, 60 + i % 12);
  t.End();
  return Smf(0, 48, {t});
}

// Rows of frame 0 whose note column of a tracker channel holds a note.
std::vector<int> RowsWithNotes(const std::string& document, int trackerChannel) {
  std::vector<int> rows;
  std::istringstream in(document.substr(0, document.find("PATTERN 01")));
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("ROW ", 0) != 0) continue;
    size_t at = 0;
    for (int c = 0; c < trackerChannel; ++c) at = line.find(" : ", at) + 3;
    const std::string note = line.substr(at, 3);
    if (note != "..." && note != "---" && note != "===")
      rows.push_back(std::stoi(line.substr(4, 2), nullptr, 16));
  }
  return rows;
}

std::vector<int> Range(int from, int to) {
  std::vector<int> v;
  for (int i = from; i < to; ++i) v.push_back(i);
  return v;
}

class WindowRun : public ::testing::Test {
 protected:
  WindowRun() {
    WriteFile(dir / "instruments.ini", std::string(kInstruments));
    registry.values = {{"in", dir / "song.mid"}, {"out", dir / "out.txt"}};
    settings.OpenSettingsKey("FARROW_TONVERT");
    // The window passes the bare names of the definition files; here they live
    // in the test's folder.
    window = std::make_unique<MainWindow>(
        toolkit, settings, state, LinuxShellPlatform("/home/ann"),
        [this](AppState& s, FrontEnd& frontEnd, const RunOptions&) {
          RunOptions options;
          options.instrumentsPath = dir / "instruments.ini";
          options.drumsPath = dir / "drums.ini";
          const RunOutcome outcome = RunConversion(s, frontEnd, options);
          documents.push_back(ReadFile(dir / "out.txt"));
          return outcome;
        });
    EXPECT_TRUE(window->Build());
  }
  void CloseAndRun() {
    toolkit.WhenIdle([this] { toolkit.PressCloseBox(); });
    EXPECT_EQ(window->RunEventLoop(), 0);
  }

  TempDir dir;
  FakeRegistry registry;
  FakeToolkit toolkit;
  Settings settings{registry};
  AppState state;
  std::unique_ptr<MainWindow> window;
  std::vector<std::string> documents;  // the output file after each run
};

TEST_F(WindowRun, BoxClickedDuringTheRunCountsForTheNotesPlacedAfterIt) {
  WriteFile(dir / "song.mid", Sixteenths(62));
  // Records 0-30 are placed under "Note #0"; the step of "Note #31" lets the
  // user's two clicks through before record 31 is placed.
  toolkit.onStatusText = [this](const std::string& text) {
    if (text != "Note #31") return;
    toolkit.Click(window->MapperBoxList()[0].box);   // Pulse 1, channel 1: off
    toolkit.Click(window->MapperBoxList()[16].box);  // Pulse 2, channel 1: on
  };
  toolkit.Click(GoButton);
  CloseAndRun();
  ASSERT_EQ(documents.size(), 1u);
  EXPECT_EQ(RowsWithNotes(documents[0], 1), Range(0, 31));
  EXPECT_EQ(RowsWithNotes(documents[0], 2), Range(31, 62));
  EXPECT_EQ(FtCheck(dir / "out.txt"), 0);
}

TEST_F(WindowRun, TwoRunsInARowWriteTheSameFile) {
  WriteFile(dir / "song.mid", Sixteenths(40));
  toolkit.Click(GoButton);
  toolkit.WhenIdle([this] { toolkit.Press(GoButton); });
  CloseAndRun();
  ASSERT_EQ(documents.size(), 2u);
  EXPECT_FALSE(documents[0].empty());
  EXPECT_EQ(documents[0], documents[1]);
  EXPECT_EQ(FtCheck(dir / "out.txt"), 0);
  // Go! was disabled at every status of both runs, and is enabled again.
  EXPECT_EQ(toolkit.statusTexts.back(), "Completed");
  EXPECT_EQ(toolkit.goEnabledAtStatus, std::vector<bool>(toolkit.statusTexts.size(), false));
  EXPECT_TRUE(toolkit.At(GoButton).enabled);
  EXPECT_EQ(toolkit.clipboard, dir / "out.txt");
}

TEST_F(WindowRun, MidiFileThatCannotBeOpenedStopsTheRunButNotTheWindow) {
  // No song.mid in the folder.
  toolkit.Click(GoButton);
  toolkit.WhenIdle([this] { toolkit.Press(ClearButton); });
  CloseAndRun();
  ASSERT_EQ(toolkit.messages.size(), 1u);
  EXPECT_EQ(toolkit.messages[0].text, "Bad file");
  EXPECT_EQ(toolkit.messages[0].kind, MessageKind::Error);
  EXPECT_FALSE(FileExists(dir / "out.txt"));
  EXPECT_TRUE(toolkit.clipboard.empty());
  // The loop went on: Go! is back, Clear acted, and the close stored the settings.
  EXPECT_TRUE(toolkit.At(GoButton).enabled);
  EXPECT_EQ(toolkit.CheckedText(), std::string(112, '0'));
  EXPECT_EQ(registry.values["in"], dir / "song.mid");
  EXPECT_EQ(registry.values["mapper"], std::string(112, '0'));
}

}  // namespace
}  // namespace tonvert::test
