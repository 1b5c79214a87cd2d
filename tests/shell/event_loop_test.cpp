// The event loop through a fake toolkit: dispatch, the requesters, the close
// sequence, the status step and the Go! button around a run.
#include <gtest/gtest.h>

#include "fake_toolkit.h"
#include "shell/main_window.h"
#include "shell/window_layout.h"

namespace tonvert::test {
namespace {

const std::string kDefaultMapper =
    "1000010000100010" "0100001000010001" "0010000000000000" "0000000001000000"
    "0000000000000000" "0001000100001000" "0000100010000100";

class EventLoop : public ::testing::Test {
 protected:
  void Build() {
    settings.OpenSettingsKey("FARROW_TONVERT");
    window = std::make_unique<MainWindow>(
        toolkit, settings, state, LinuxShellPlatform("/home/ann"),
        [this](AppState&, FrontEnd& frontEnd, const RunOptions&) {
          ++runs;
          if (run) run(frontEnd);
          return RunOutcome::Written;
        });
    ASSERT_TRUE(window->Build());
  }
  // Closes once the window is idle after all other input; runs the loop to its end.
  void CloseAndRun() {
    toolkit.WhenIdle([this] { toolkit.PressCloseBox(); });
    EXPECT_EQ(window->RunEventLoop(), 0);
  }
  int BoxNumber(int k) { return window->MapperBoxList()[k].box; }

  FakeRegistry registry;
  FakeToolkit toolkit;
  Settings settings{registry};
  AppState state;
  std::unique_ptr<MainWindow> window;
  int runs = 0;
  std::function<void(FrontEnd&)> run;  // what the Go! button's run does
};

TEST_F(EventLoop, ClearUnchecksEveryBoxAndDefaultRestoresTheBuiltInTable) {
  registry.values["mapper"] = std::string(112, '1');
  Build();
  toolkit.Click(ClearButton);
  toolkit.Later([this] { EXPECT_EQ(toolkit.CheckedText(), std::string(112, '0')); });
  toolkit.Click(DefaultButton);
  CloseAndRun();
  EXPECT_EQ(toolkit.CheckedText(), kDefaultMapper);  // not the stored text
}

TEST_F(EventLoop, FieldsBoxesAndLabelsStartNothing) {
  Build();
  toolkit.Type(RowsField, "32");
  toolkit.Click(BoxNumber(4));  // Pulse 1, channel 5
  for (int n : {int(MidiPathField), int(StatusLine), int(FirstOtherControl)}) toolkit.Click(n);
  CloseAndRun();
  EXPECT_EQ(runs + toolkit.openRequests.size() + toolkit.saveRequests.size(), 0u);
  EXPECT_TRUE(toolkit.At(BoxNumber(4)).checked);  // toggled by itself, kept
}

TEST_F(EventLoop, MidiBrowseProposesTheFieldsFolderAndName) {
  registry.values["in"] = "/home/ann/music/song.mid";
  Build();
  toolkit.Click(MidiBrowseButton);  // cancelled
  toolkit.Later([this] { toolkit.answer = "/tmp/other.MID"; });
  toolkit.Click(MidiBrowseButton);
  CloseAndRun();
  ASSERT_EQ(toolkit.openRequests.size(), 2u);
  const FileRequest& r = toolkit.openRequests[0];
  EXPECT_EQ(r.title, "");
  EXPECT_EQ(r.folder, "/home/ann/music");
  EXPECT_EQ(r.name, "song.mid");
  ASSERT_EQ(r.filters.size(), 1u);
  EXPECT_EQ(r.filters[0].description + "|" + r.filters[0].pattern, "MIDI|*.MID");
  EXPECT_EQ(r.selectedFilter, 0);
  EXPECT_EQ(toolkit.Text(MidiPathField), "/tmp/other.MID");
}

TEST_F(EventLoop, OutputBrowseAlwaysProposesSongTxt) {
  registry.values["out"] = "/elsewhere/mine.txt";
  Build();
  toolkit.Click(OutputBrowseButton);  // cancelled: the field stays
  CloseAndRun();
  ASSERT_EQ(toolkit.saveRequests.size(), 1u);
  const FileRequest& r = toolkit.saveRequests[0];
  EXPECT_EQ(r.title, "Please choose file to save");
  EXPECT_EQ(r.folder + "|" + r.name, "|song.txt");
  ASSERT_EQ(r.filters.size(), 2u);
  EXPECT_EQ(r.filters[0].description + "|" + r.filters[0].pattern + "|" +
                r.filters[1].description + "|" + r.filters[1].pattern,
            "Text (*.txt)|*.txt|All files (*.*)|*.*");
  EXPECT_EQ(r.selectedFilter, 0);
  EXPECT_EQ(toolkit.Text(OutputPathField), "/elsewhere/mine.txt");
}

TEST_F(EventLoop, CloseStoresTheFourTextsThenTheMapperThenEnds) {
  Build();
  toolkit.Type(MidiPathField, "/m/song.mid");
  toolkit.Type(RowsField, "");
  toolkit.Type(TicksField, "twelve");
  toolkit.Type(OutputPathField, "/o/out.txt");
  toolkit.Click(BoxNumber(0));  // Pulse 1, channel 1: now unchecked
  toolkit.Later([this] { EXPECT_TRUE(registry.writes.empty()) << "written before the close"; });
  CloseAndRun();
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"in", "/m/song.mid"}, {"out", "/o/out.txt"}, {"rpp", ""}, {"ticks", "twelve"},
      {"mapper", "0" + kDefaultMapper.substr(1)}};
  EXPECT_EQ(registry.writes, expected);
  EXPECT_TRUE(toolkit.windowClosed);
}

TEST_F(EventLoop, GoIsDisabledForTheRunAndEnabledWhenItReturns) {
  Build();
  run = [this](FrontEnd& frontEnd) {
    EXPECT_FALSE(toolkit.At(GoButton).enabled);
    toolkit.Click(GoButton);  // hits a disabled button
    frontEnd.SetStatus("Reading MIDI");
  };
  toolkit.Click(GoButton);
  toolkit.WhenIdle([this] { EXPECT_TRUE(toolkit.At(GoButton).enabled); });
  CloseAndRun();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(toolkit.Text(StatusLine), "Reading MIDI");
}

TEST_F(EventLoop, StatusStepDropsAnEventQueuedBeforeTheRun) {
  Build();
  run = [](FrontEnd& frontEnd) {
    frontEnd.SetStatus("one");
    frontEnd.SetStatus("two");
  };
  // Go and Clear arrive together: Go runs, and the first step takes Clear
  // without letting any input through.
  toolkit.Later([this] {
    toolkit.Press(GoButton);
    toolkit.Press(ClearButton);
  });
  CloseAndRun();
  EXPECT_EQ(toolkit.CheckedText(), kDefaultMapper);
  EXPECT_EQ(toolkit.statusSteps, 1);
}

TEST_F(EventLoop, InputDuringARunIsHandledButItsEventsAreDropped) {
  Build();
  run = [this](FrontEnd& frontEnd) {
    toolkit.Click(BoxNumber(0));
    toolkit.Click(ClearButton);
    toolkit.RequestClose();
    toolkit.Click(OutputBrowseButton);
    frontEnd.SetStatus("Notes");
    EXPECT_TRUE(toolkit.input.empty());
  };
  toolkit.Click(GoButton);
  CloseAndRun();
  EXPECT_EQ(toolkit.CheckedText(), "0" + kDefaultMapper.substr(1));  // toggled; Clear lost
  EXPECT_TRUE(toolkit.saveRequests.empty());
  EXPECT_EQ(registry.writes.size(), 5u);  // one close sequence, after the run
}

TEST_F(EventLoop, InputNoStepTookIsHandledByTheLoopAfterTheRun) {
  Build();
  run = [this](FrontEnd& frontEnd) {
    frontEnd.SetStatus("Completed");
    toolkit.Click(ClearButton);  // after the last step
  };
  toolkit.Click(GoButton);
  CloseAndRun();
  EXPECT_EQ(toolkit.CheckedText(), std::string(112, '0'));
}

TEST_F(EventLoop, TheRunsReportStaysUpForFourSecondsAtMost) {
  Build();
  const std::string report = "Completed.\r\n\r\nUndefined drum program #35";
  run = [&](FrontEnd& frontEnd) { frontEnd.ShowReport({report, {}}); };
  toolkit.Click(GoButton);
  CloseAndRun();
  EXPECT_EQ(toolkit.reports, std::vector<std::string>{report});
  EXPECT_EQ(toolkit.reportSeconds, 4.0);
}

}  // namespace
}  // namespace tonvert::test
