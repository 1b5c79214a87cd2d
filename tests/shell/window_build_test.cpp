// The main window's controls, and how the window build brings in the stored
// settings: each right before its field, the mapper after the last box.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "fake_toolkit.h"
#include "shell/application.h"
#include "shell/window_layout.h"

namespace tonvert::test {
namespace {

using K = ControlKind;

struct Row {
  K kind;
  int number;  // -1: any number of 10 or more
  int x, y, w, h;
  const char* text;
};

// Every control outside the mapper grid, in creation order.
const Row kOuterRows[] = {
    {K::Frame, -1, 10, 10, 500, 160, ""},
    {K::Label, -1, 20, 20, 270, 20, "MIDI file:"},
    {K::Field, MidiPathField, 20, 40, 390, 20, ""},
    {K::Button, MidiBrowseButton, 420, 40, 80, 20, "Browse"},
    {K::Label, -1, 20, 70, 400, 20, "Rows per pattern (Default is 64 (1 bar = 64 * 1/16))"},
    {K::Field, RowsField, 20, 90, 70, 20, "64"},
    {K::Label, -1, 20, 120, 440, 20, "Ticks per 1/16 note (Default is 36 (1/16 note = 36 ticks))"},
    {K::Field, TicksField, 20, 140, 70, 20, "36"},
    {K::Frame, -1, 10, 180, 500, 410, "Channel Mapper"},
    // the grid comes here
    {K::Button, ClearButton, 20, 560, 80, 20, "Clear"},
    {K::Button, DefaultButton, 110, 560, 80, 20, "Default"},
    {K::Frame, -1, 10, 600, 500, 90, ""},
    {K::Label, -1, 20, 610, 270, 20, "Text file:"},
    {K::Field, OutputPathField, 20, 630, 390, 20, "c:/song.txt"},
    {K::Button, OutputBrowseButton, 420, 630, 80, 20, "Browse"},
    {K::Button, GoButton, 420, 660, 80, 20, "Go!"},
    {K::Label, StatusLine, 20, 660, 390, 20, "Load complete"},
};

void ExpectRow(const ControlSpec& c, const Row& row, size_t position) {
  SCOPED_TRACE("control " + std::to_string(position) + " \"" + c.text + "\"");
  EXPECT_EQ(c.kind, row.kind);
  if (row.number >= 0)
    EXPECT_EQ(c.number, row.number);
  else
    EXPECT_GE(c.number, FirstOtherControl);
  EXPECT_EQ(c.x, row.x);
  EXPECT_EQ(c.y, row.y);
  EXPECT_EQ(c.w, row.w);
  EXPECT_EQ(c.h, row.h);
  EXPECT_EQ(c.text, row.text);
}

TEST(WindowLayout, TitleNamesTheVersionAndTheMaker) {
  EXPECT_EQ(MainWindowTitle(), "Quenby Tonvert v0.1.124.1 (farrow.example)");
}

TEST(WindowLayout, ControlsOutsideTheGridInCreationOrder) {
  const auto controls = MainWindowControls("c:/song.txt");
  ASSERT_EQ(controls.size(), 17u + 7u + 112u);
  for (size_t i = 0; i < 9; ++i) ExpectRow(controls[i], kOuterRows[i], i);
  for (size_t i = 9; i < 17; ++i) ExpectRow(controls[i + 119], kOuterRows[i], i + 119);
}

TEST(WindowLayout, MapperGridIsBuiltColumnByColumn) {
  const auto controls = MainWindowControls("");
  size_t k = 9;
  const char* labels[] = {"Pulse 1", "Pulse 2", "Triangle", "Noise", "DPCM", "Pulse 1", "Pulse 2"};
  for (int t = 1; t <= 7; ++t) {
    const int x = 20 + 70 * (t - 1);
    ExpectRow(controls[k], {K::Frame, -1, x, 200, 60, 350, labels[t - 1]}, k);
    ++k;
    for (int m = 0; m < 16; ++m, ++k) {
      const std::string text = std::to_string(m + 1);
      ExpectRow(controls[k], {K::CheckBox, -1, x + 10, 220 + 20 * m, 30, 20, text.c_str()}, k);
      EXPECT_EQ(controls[k].trackerChannel, t);
      EXPECT_EQ(controls[k].midiChannel, m);
    }
  }
}

TEST(WindowLayout, NumbersAreUniqueAndOnlyTheNamedControlsUseZeroToNine) {
  std::set<int> numbers;
  int named = 0;
  for (const ControlSpec& c : MainWindowControls("")) {
    EXPECT_TRUE(numbers.insert(c.number).second) << c.number;
    if (c.number < FirstOtherControl) ++named;
  }
  EXPECT_EQ(named, 10);
}

TEST(WindowLayout, FieldsNameTheirSettings) {
  std::vector<std::pair<int, std::string>> fields;
  for (const ControlSpec& c : MainWindowControls(""))
    if (!c.setting.empty()) fields.emplace_back(c.number, c.setting);
  const std::vector<std::pair<int, std::string>> expected = {
      {MidiPathField, "in"}, {RowsField, "rpp"}, {TicksField, "ticks"}, {OutputPathField, "out"}};
  EXPECT_EQ(fields, expected);
}

class WindowBuild : public ::testing::Test {
 protected:
  void Build() {
    settings.OpenSettingsKey("FARROW_TONVERT");
    window = std::make_unique<MainWindow>(toolkit, settings, state, platform);
    ASSERT_TRUE(window->Build());
  }
  size_t IndexOf(const std::string& line) const {
    auto it = std::find(log.begin(), log.end(), line);
    EXPECT_NE(it, log.end()) << line;
    return static_cast<size_t>(it - log.begin());
  }

  std::vector<std::string> log;
  FakeRegistry registry{&log};
  FakeToolkit toolkit{&log};
  Settings settings{registry};
  AppState state;
  ShellPlatform platform = LinuxShellPlatform("/home/ann");
  std::unique_ptr<MainWindow> window;
};

TEST_F(WindowBuild, StartUpOpensTheKeyThenBuildsThenWaits) {
  toolkit.RequestClose();
  EXPECT_EQ(RunApplication(toolkit, registry, platform), 0);
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[0], "create key HKEY_LOCAL_MACHINE\\SOFTWARE\\Farrow\\FARROW_TONVERT");
  EXPECT_EQ(log[1], "open window");
  EXPECT_LT(IndexOf("show window"), IndexOf("write in"));
  EXPECT_TRUE(toolkit.windowClosed);
}

TEST_F(WindowBuild, EachSettingIsReadRightBeforeItsField) {
  Build();
  EXPECT_EQ(IndexOf("read in") + 1, IndexOf("create 2"));
  EXPECT_EQ(IndexOf("read rpp") + 1, IndexOf("create 4"));
  EXPECT_EQ(IndexOf("read ticks") + 1, IndexOf("create 5"));
  EXPECT_EQ(IndexOf("read out") + 1, IndexOf("create 6"));
  // The mapper after the 112th box, before the Clear button.
  const int lastBox = window->MapperBoxList().back().box;
  EXPECT_EQ(IndexOf("create " + std::to_string(lastBox)) + 1, IndexOf("read mapper"));
  EXPECT_EQ(IndexOf("read mapper") + 1, IndexOf("create 0"));
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& l) { return l.rfind("read ", 0) == 0; }),
            5);
}

TEST_F(WindowBuild, FirstStartShowsTheDefaults) {
  Build();
  EXPECT_EQ(toolkit.title, "Quenby Tonvert v0.1.124.1 (farrow.example)");
  EXPECT_EQ(toolkit.width, 520);
  EXPECT_EQ(toolkit.height, 700);
  EXPECT_EQ(toolkit.Text(MidiPathField), "");
  EXPECT_EQ(toolkit.Text(RowsField), "64");
  EXPECT_EQ(toolkit.Text(TicksField), "36");
  EXPECT_EQ(toolkit.Text(OutputPathField), "/home/ann/song.txt");
  EXPECT_EQ(toolkit.Text(StatusLine), "Load complete");
  EXPECT_EQ(toolkit.CheckedText(),
            "1000010000100010" "0100001000010001" "0010000000000000" "0000000001000000"
            "0000000000000000" "0001000100001000" "0000100010000100");
  EXPECT_TRUE(toolkit.At(GoButton).enabled);
}

TEST_F(WindowBuild, MapperBoxListFollowsTheBoxesInCreationOrder) {
  Build();
  const auto& list = window->MapperBoxList();
  ASSERT_EQ(list.size(), 112u);
  std::vector<int> boxesCreated;
  for (int n : toolkit.creationOrder)
    if (toolkit.At(n).created.kind == ControlKind::CheckBox) boxesCreated.push_back(n);
  for (size_t k = 0; k < list.size(); ++k) {
    EXPECT_EQ(list[k].trackerChannel, static_cast<int>(k / 16 + 1));
    EXPECT_EQ(list[k].midiChannel, static_cast<int>(k % 16));
    EXPECT_EQ(list[k].box, boxesCreated[k]);
  }
}

TEST_F(WindowBuild, StoredTextsAreShownAsStored) {
  registry.values = {{"in", " /music/a b.mid"}, {"rpp", "abc"}, {"ticks", "$20"},
                     {"out", "/elsewhere/x.txt"}};
  Build();
  EXPECT_EQ(toolkit.Text(MidiPathField), " /music/a b.mid");
  EXPECT_EQ(toolkit.Text(RowsField), "abc");
  EXPECT_EQ(toolkit.Text(TicksField), "$20");
  EXPECT_EQ(toolkit.Text(OutputPathField), "/elsewhere/x.txt");
}

TEST_F(WindowBuild, StoredMapperReplacesTheWholeDefault) {
  struct Case {
    std::string stored;
    std::string shown;
  };
  const std::string zeros(112, '0');
  const std::string onlyFirst = "1" + std::string(111, '0');
  const Case cases[] = {
      {"1", onlyFirst},
      {zeros, zeros},
      {"21" + std::string(110, '1'), "01" + std::string(110, '1')},
      {" 1", "01" + std::string(110, '0')},
      {std::string(112, '1') + "000", std::string(112, '1')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    log.clear();
    FakeToolkit freshToolkit;
    FakeRegistry freshRegistry;
    freshRegistry.values["mapper"] = c.stored;
    Settings freshSettings(freshRegistry);
    freshSettings.OpenSettingsKey("FARROW_TONVERT");
    MainWindow w(freshToolkit, freshSettings, state, platform);
    ASSERT_TRUE(w.Build());
    EXPECT_EQ(freshToolkit.CheckedText(), c.shown);
  }
}

TEST_F(WindowBuild, NoWindowMeansNoControlsAndExitCodeOne) {
  toolkit.openFails = true;
  EXPECT_EQ(RunApplication(toolkit, registry, platform), 1);
  EXPECT_TRUE(toolkit.controls.empty());
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& l) { return l.rfind("read ", 0) == 0; }),
            0);
}

}  // namespace
}  // namespace tonvert::test
