// Start-up and the window build: the controls, and the stored settings read
// each right before its field, the mapper after the last box.
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_toolkit.h"
#include "shell/application.h"
#include "shell/window_layout.h"

namespace tonvert::test {
namespace {

const std::string kDefaultMapper =
    "1000010000100010" "0100001000010001" "0010000000000000" "0000000001000000"
    "0000000000000000" "0001000100001000" "0000100010000100";

// Numbers used twice fail in the fake toolkit; named controls are checked by
// the tests that address them.
TEST(WindowLayout, MapperGridIsBuiltColumnByColumn) {
  const auto controls = MainWindowControls("");
  ASSERT_EQ(controls[8].text, "Channel Mapper");
  const char* labels[] = {"Pulse 1", "Pulse 2", "Triangle", "Noise", "DPCM", "Pulse 1", "Pulse 2"};
  size_t k = 9;
  for (int t = 1; t <= 7; ++t) {
    const ControlSpec& frame = controls[k++];
    EXPECT_EQ(frame.kind, ControlKind::Frame);
    EXPECT_EQ(std::make_tuple(frame.x, frame.y, frame.w, frame.h, frame.text),
              std::make_tuple(20 + 70 * (t - 1), 200, 60, 350, std::string(labels[t - 1])));
    for (int m = 0; m < 16; ++m) {
      const ControlSpec& box = controls[k++];
      EXPECT_EQ(box.kind, ControlKind::CheckBox);
      EXPECT_EQ(std::make_tuple(box.x, box.y, box.w, box.h, box.text),
                std::make_tuple(30 + 70 * (t - 1), 220 + 20 * m, 30, 20, std::to_string(m + 1)));
      EXPECT_EQ(std::make_pair(box.trackerChannel, box.midiChannel), std::make_pair(t, m));
    }
  }
  EXPECT_EQ(controls[k].number, ClearButton);
}

class WindowBuild : public ::testing::Test {
 protected:
  size_t At(const std::string& line) const {
    auto it = std::find(log.begin(), log.end(), line);
    EXPECT_NE(it, log.end()) << line;
    return static_cast<size_t>(it - log.begin());
  }
  int Reads() const {
    return static_cast<int>(std::count_if(log.begin(), log.end(), [](const std::string& l) {
      return l.rfind("read ", 0) == 0;
    }));
  }

  Log log;
  FakeRegistry registry{&log};
  FakeToolkit toolkit{&log};
  ShellPlatform platform = LinuxShellPlatform("/home/ann");
};

TEST_F(WindowBuild, StartUpReadsEachSettingRightBeforeItsField) {
  toolkit.RequestClose();
  EXPECT_EQ(RunApplication(toolkit, registry, platform), 0);
  // HKEY_LOCAL_MACHINE's on Linux, HKEY_CURRENT_USER's on Windows.
  EXPECT_EQ(log[0], std::string("create key ") + kPlatformSettingsFolder + "FARROW_TONVERT");
  EXPECT_EQ(log[1], "open window");
  EXPECT_EQ(At("read in") + 1, At("create 2"));
  EXPECT_EQ(At("read rpp") + 1, At("create 4"));
  EXPECT_EQ(At("read ticks") + 1, At("create 5"));
  EXPECT_EQ(At("read out") + 1, At("create 6"));
  // The mapper after the 112th box, before the Clear button.
  const int lastBox = toolkit.Box(7, 15).created.number;
  EXPECT_EQ(At("create " + std::to_string(lastBox)) + 1, At("read mapper"));
  EXPECT_EQ(At("read mapper") + 1, At("create 0"));
  EXPECT_EQ(Reads(), 5);
  EXPECT_TRUE(toolkit.windowClosed);
}

TEST_F(WindowBuild, FirstStartShowsTheDefaults) {
  toolkit.RequestClose();
  RunApplication(toolkit, registry, platform);
  EXPECT_EQ(toolkit.title, "Quenby Tonvert v0.1.124.1 (farrow.example)");
  EXPECT_EQ(std::make_pair(toolkit.width, toolkit.height), std::make_pair(520, 700));
  EXPECT_EQ(toolkit.Text(MidiPathField), "");
  EXPECT_EQ(toolkit.Text(RowsField), "64");
  EXPECT_EQ(toolkit.Text(TicksField), "36");
  EXPECT_EQ(toolkit.Text(OutputPathField), "/home/ann/song.txt");
  EXPECT_EQ(toolkit.Text(StatusLine), "Load complete");
  EXPECT_EQ(toolkit.CheckedText(), kDefaultMapper);
}

TEST_F(WindowBuild, StoredTextsAreShownAsStoredAndAStoredMapperReplacesTheDefault) {
  registry.values = {{"in", " /music/a b.mid"}, {"rpp", "abc"}, {"ticks", "$20"},
                     {"out", "/elsewhere/x.txt"}, {"mapper", "1"}};
  toolkit.RequestClose();
  RunApplication(toolkit, registry, platform);
  EXPECT_EQ(toolkit.Text(MidiPathField), " /music/a b.mid");
  EXPECT_EQ(toolkit.Text(RowsField), "abc");
  EXPECT_EQ(toolkit.Text(TicksField), "$20");
  EXPECT_EQ(toolkit.Text(OutputPathField), "/elsewhere/x.txt");
  EXPECT_EQ(toolkit.CheckedText(), "1" + std::string(111, '0'));
}

TEST_F(WindowBuild, NoWindowMeansNoControlsNoSettingsAndExitCodeOne) {
  toolkit.openFails = true;
  EXPECT_EQ(RunApplication(toolkit, registry, platform), 1);
  EXPECT_TRUE(toolkit.controls.empty());
  EXPECT_EQ(Reads(), 0);
}

}  // namespace
}  // namespace tonvert::test
