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
  // Closes once the window is idle after all other input, and runs the loop
  // to its end.
  void CloseAndRun() {
    toolkit.WhenIdle([this] { toolkit.PressCloseBox(); });
    EXPECT_EQ(window->RunEventLoop(), 0);
  }

  FakeRegistry registry;
  FakeToolkit toolkit;
  Settings settings{registry};
  AppState state;
  std::unique_ptr<MainWindow> window;
  int runs = 0;
  std::function<void(FrontEnd&)> run;  // what the Go! button's run does
};

// ---- dispatch -------------------------------------------------------------

TEST_F(EventLoop, ClearUnchecksEveryBoxAndDefaultRestoresTheBuiltInTable) {
  registry.values["mapper"] = std::string(112, '1');
  Build();
  toolkit.Click(ClearButton);
  toolkit.Later([this] { EXPECT_EQ(toolkit.CheckedText(), std::string(112, '0')); });
  toolkit.Click(DefaultButton);
  CloseAndRun();
  // Default is the built-in table, not the stored text.
  EXPECT_EQ(toolkit.CheckedText(), kDefaultMapper);
}

TEST_F(EventLoop, FieldsBoxesAndLabelsStartNothing) {
  Build();
  const int box = window->MapperBoxList()[4].box;  // Pulse 1, channel 5: unchecked
  toolkit.Type(RowsField, "32");
  toolkit.Click(box);
  toolkit.Click(MidiPathField);
  toolkit.Click(StatusLine);
  toolkit.Click(FirstOtherControl);
  CloseAndRun();
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(toolkit.openRequests.empty());
  EXPECT_TRUE(toolkit.saveRequests.empty());
  EXPECT_TRUE(toolkit.At(box).checked);  // toggled by itself, kept
  EXPECT_EQ(toolkit.Text(RowsField), "32");
}

// ---- requesters -----------------------------------------------------------

TEST_F(EventLoop, MidiBrowseProposesTheFieldsFolderAndName) {
  registry.values["in"] = "/home/ann/music/song.mid";
  Build();
  toolkit.openAnswer = "";  // cancelled
  toolkit.Click(MidiBrowseButton);
  CloseAndRun();
  ASSERT_EQ(toolkit.openRequests.size(), 1u);
  const FileRequest& r = toolkit.openRequests[0];
  EXPECT_EQ(r.title, "");
  EXPECT_EQ(r.folder, "/home/ann/music");
  EXPECT_EQ(r.name, "song.mid");
  ASSERT_EQ(r.filters.size(), 1u);
  EXPECT_EQ(r.filters[0].description, "MIDI");
  EXPECT_EQ(r.filters[0].pattern, "*.MID");
  EXPECT_EQ(r.selectedFilter, 0);
  EXPECT_EQ(toolkit.Text(MidiPathField), "/home/ann/music/song.mid");
}

TEST_F(EventLoop, MidiBrowseChoiceReplacesTheWholeField) {
  Build();
  toolkit.openAnswer = "/tmp/other.MID";
  toolkit.Click(MidiBrowseButton);
  CloseAndRun();
  ASSERT_EQ(toolkit.openRequests.size(), 1u);
  EXPECT_EQ(toolkit.openRequests[0].folder, "");  // empty field: nothing proposed
  EXPECT_EQ(toolkit.openRequests[0].name, "");
  EXPECT_EQ(toolkit.Text(MidiPathField), "/tmp/other.MID");
}

TEST_F(EventLoop, OutputBrowseAlwaysProposesSongTxt) {
  registry.values["out"] = "/elsewhere/mine.txt";
  Build();
  toolkit.saveAnswer = "";
  toolkit.Click(OutputBrowseButton);
  toolkit.Later([this] { toolkit.saveAnswer = "/tmp/new name"; });
  toolkit.Click(OutputBrowseButton);
  CloseAndRun();
  ASSERT_EQ(toolkit.saveRequests.size(), 2u);
  const FileRequest& r = toolkit.saveRequests[0];
  EXPECT_EQ(r.title, "Please choose file to save");
  EXPECT_EQ(r.folder, "");
  EXPECT_EQ(r.name, "song.txt");
  ASSERT_EQ(r.filters.size(), 2u);
  EXPECT_EQ(r.filters[0].description, "Text (*.txt)");
  EXPECT_EQ(r.filters[0].pattern, "*.txt");
  EXPECT_EQ(r.filters[1].description, "All files (*.*)");
  EXPECT_EQ(r.filters[1].pattern, "*.*");
  EXPECT_EQ(r.selectedFilter, 0);
  // The cancelled first request left the field; the second replaced it as chosen.
  EXPECT_EQ(toolkit.Text(OutputPathField), "/tmp/new name");
}

// ---- close sequence -------------------------------------------------------

TEST_F(EventLoop, CloseStoresTheFourTextsThenTheMapperThenEnds) {
  Build();
  toolkit.Type(MidiPathField, "/m/song.mid");
  toolkit.Type(RowsField, "");
  toolkit.Type(TicksField, "twelve");
  toolkit.Type(OutputPathField, "/o/out.txt");
  toolkit.Click(window->MapperBoxList()[0].box);  // Pulse 1, channel 1: now unchecked
  toolkit.Later([this] { EXPECT_TRUE(registry.writes.empty()) << "written before the close"; });
  CloseAndRun();
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"in", "/m/song.mid"},
      {"out", "/o/out.txt"},
      {"rpp", ""},
      {"ticks", "twelve"},
      {"mapper", "0" + kDefaultMapper.substr(1)},
  };
  EXPECT_EQ(registry.writes, expected);
  EXPECT_TRUE(toolkit.windowClosed);
}

TEST_F(EventLoop, CloseStoresAllBoxesAlsoWhenTheMapperWasNeverTouched) {
  Build();
  CloseAndRun();
  EXPECT_EQ(registry.values["mapper"], kDefaultMapper);
}

// ---- the Go! button and the status step ------------------------------------

TEST_F(EventLoop, GoIsDisabledForTheRunAndEnabledWhenItReturns) {
  Build();
  run = [this](FrontEnd& frontEnd) {
    EXPECT_FALSE(toolkit.At(GoButton).enabled);
    toolkit.Click(GoButton);  // a press during the run hits a disabled button
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
  // Go and Clear arrive together: Go runs, and the first step takes Clear.
  toolkit.Later([this] {
    toolkit.Press(GoButton);
    toolkit.Press(ClearButton);
  });
  CloseAndRun();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(toolkit.CheckedText(), kDefaultMapper);
  // The first step took the queued event and let no input through.
  EXPECT_EQ(toolkit.statusSteps, 1);
}

TEST_F(EventLoop, InputDuringARunIsHandledButItsEventsAreDropped) {
  Build();
  const int box = window->MapperBoxList()[0].box;
  run = [this, box](FrontEnd& frontEnd) {
    toolkit.Click(box);
    toolkit.Click(ClearButton);
    toolkit.RequestClose();
    toolkit.Click(OutputBrowseButton);
    frontEnd.SetStatus("Notes");
    EXPECT_TRUE(toolkit.input.empty());
    EXPECT_FALSE(toolkit.windowClosed);
  };
  toolkit.Click(GoButton);
  CloseAndRun();
  EXPECT_FALSE(toolkit.At(box).checked);  // the box toggled
  EXPECT_EQ(toolkit.CheckedText().substr(1), kDefaultMapper.substr(1));  // Clear was lost
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

TEST_F(EventLoop, StatusStepWithNothingPendingOnlySetsTheText) {
  Build();
  run = [](FrontEnd& frontEnd) { frontEnd.SetStatus("Frame #0"); };
  toolkit.Click(GoButton);
  CloseAndRun();
  EXPECT_EQ(toolkit.statusTexts, (std::vector<std::string>{"Frame #0"}));
  EXPECT_EQ(toolkit.statusSteps, 1);
}

// ---- the window as the run's front end ------------------------------------

TEST_F(EventLoop, FrontEndReadsTheFieldsAndTheLiveBoxes) {
  Build();
  run = [this](FrontEnd& frontEnd) {
    EXPECT_EQ(frontEnd.FieldText(Field::MidiPath), "a");
    EXPECT_EQ(frontEnd.FieldText(Field::Rows), "b");
    EXPECT_EQ(frontEnd.FieldText(Field::Ticks), "c");
    EXPECT_EQ(frontEnd.FieldText(Field::OutputPath), "d");
    EXPECT_TRUE(frontEnd.IsChannelMapped(4, 9));
    toolkit.Box(4, 9).checked = false;
    EXPECT_FALSE(frontEnd.IsChannelMapped(4, 9));
    toolkit.Box(5, 0).checked = true;
    EXPECT_TRUE(frontEnd.IsChannelMapped(5, 0));
    EXPECT_FALSE(frontEnd.IsChannelMapped(1, 16));
    EXPECT_FALSE(frontEnd.IsChannelMapped(1, -1));
    EXPECT_FALSE(frontEnd.IsChannelMapped(0, 0));
    EXPECT_FALSE(frontEnd.IsChannelMapped(8, 0));
    frontEnd.PutOnClipboard("d");
    frontEnd.ShowMessage({MessageKind::Information, "Information", "Canceled.", true});
    frontEnd.ShowReport({"Completed.\r\n\r\nUndefined drum program #35", {}});
  };
  toolkit.Type(MidiPathField, "a");
  toolkit.Type(RowsField, "b");
  toolkit.Type(TicksField, "c");
  toolkit.Type(OutputPathField, "d");
  toolkit.Click(GoButton);
  CloseAndRun();
  EXPECT_EQ(toolkit.clipboard, "d");
  ASSERT_EQ(toolkit.messages.size(), 1u);
  EXPECT_EQ(toolkit.messages[0].title, "Information");
  EXPECT_EQ(toolkit.messages[0].text, "Canceled.");
  EXPECT_EQ(toolkit.reports, (std::vector<std::string>{"Completed.\r\n\r\nUndefined drum program #35"}));
  EXPECT_EQ(toolkit.reportSeconds, 4.0);
}

}  // namespace
}  // namespace tonvert::test
