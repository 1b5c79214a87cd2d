// The window's logic, without a display: the requesters' proposed file and the
// default output per platform, the mapper grid, and through the fake toolkit
// start-up, dispatch, the requesters, the close sequence, the status step, the
// Go! button around a run, and two real conversions in a row.
#include <gtest/gtest.h>

#include "fake_toolkit.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/shell_platform.h"
#include "support/midi_builder.h"
#include "support/temp_dir.h"

namespace tonvert::test {
namespace {

using Texts = std::vector<std::string>;

const std::string kDefaultMapper =
    "1000010000100010" "0100001000010001" "0010000000000000" "0000000001000000"
    "0000000000000000" "0001000100001000" "0000100010000100";

TEST(ProposedFile, SplitsAtTheLastSeparatorAndProposesNoNameWindowsForbids) {
  const struct { const char* text; char separator; const char* expected; } cases[] = {
      {"/home/ann/music/song.mid", '/', "/home/ann/music|song.mid"},
      {"song.mid", '/', "|song.mid"},
      {"/song.mid", '/', "/|song.mid"},  // the root folder, not "no folder"
      {"music/", '/', "music|"},
      {"/m/na\xc3\xafve \xe6\x9b\xb2.mid", '/', "/m|na\xc3\xafve \xe6\x9b\xb2.mid"},
      {"c:\\music\\song.mid", '\\', "c:\\music|song.mid"},
      {"c:/song.txt", '\\', "|"},  // "/" and ":" in the name
  };
  for (const auto& c : cases) {
    const ProposedFile p = SplitProposedFile(c.text, c.separator);
    EXPECT_EQ(p.folder + "|" + p.name, c.expected) << c.text;
  }
  for (const char* bad : {"\"", "*", ":", "<", ">", "?", "\\", "|", "\t", "\x01", "\x1f"}) {
    const ProposedFile p = SplitProposedFile(std::string("/m/a") + bad + "b.mid", '/');
    EXPECT_EQ(p.folder + "|" + p.name, "/m|") << bad;
  }
}

TEST(DefaultOutput, IsSongTxtInTheHomeFolderOnLinux) {
  for (const auto& [home, expected] : {std::pair<const char*, const char*>{"/home/ann", "/home/ann/song.txt"},
                                       {"/home/ann/", "/home/ann/song.txt"}, {"/", "/song.txt"},
                                       {"", "song.txt"}, {nullptr, "song.txt"}})
    EXPECT_EQ(LinuxShellPlatform(home).defaultOutputPath, expected) << (home ? home : "(unset)");
}

TEST(WindowLayout, MapperBoxesAreCreatedColumnByColumnAtTheirPlaces) {
  int k = 0;
  for (const ControlSpec& c : MainWindowControls("")) {
    if (c.kind != ControlKind::CheckBox) continue;
    const int t = 1 + k / 16, m = k++ % 16;
    EXPECT_EQ(std::make_tuple(c.x, c.y, c.w, c.h, c.text, c.trackerChannel, c.midiChannel),
              std::make_tuple(30 + 70 * (t - 1), 220 + 20 * m, 30, 20, std::to_string(m + 1), t, m));
  }
  EXPECT_EQ(k, 112);
}

TEST(StartUp, ShowsTheStoredTextsAsStoredAndTheDefaultsForWhatIsNotStored) {
  const struct { std::map<std::string, std::string> stored; Texts shown; Texts args; } cases[] = {
      {{}, {"", "64", "36", "/home/ann/song.txt", kDefaultMapper}, {"-x", ""}},
      {{{"in", " /music/a b.mid"}, {"rpp", "abc"}, {"ticks", "$20"}, {"out", "/x.txt"}, {"mapper", "1"}},
       {" /music/a b.mid", "abc", "$20", "/x.txt", "1" + std::string(111, '0')}, {}},
      // A file on the command line ("Open with") replaces the stored one.
      {{{"in", "/music/a.mid"}}, {"-b.mid", "64", "36", "/home/ann/song.txt", kDefaultMapper},
       {"-x", "--", "-b.mid", "c.mid"}},
  };
  for (const auto& c : cases) {
    FakeRegistry registry;
    registry.values = c.stored;
    FakeToolkit toolkit;
    toolkit.RequestClose();
    EXPECT_EQ(RunApplication(toolkit, registry, LinuxShellPlatform("/home/ann"), c.args), 0);
    EXPECT_EQ(registry.key, std::string(kPlatformSettingsFolder) + "FARROW_TONVERT");
    EXPECT_EQ(toolkit.title, "Quenby Tonvert v0.1.124.1 (farrow.example)");
    EXPECT_EQ((Texts{toolkit.Text(MidiPathField), toolkit.Text(RowsField), toolkit.Text(TicksField),
                     toolkit.Text(OutputPathField), toolkit.CheckedText()}),
              c.shown);
  }
}

// The window with Go! running `run` on the window's own state.
class Window : public ::testing::Test {
 protected:
  void Build() {
    settings.OpenSettingsKey("FARROW_TONVERT");
    window = std::make_unique<MainWindow>(toolkit, settings, state, LinuxShellPlatform("/home/ann"),
                                          [this](AppState& s, FrontEnd& frontEnd, const RunOptions&) {
                                            ++runs;
                                            if (run) run(s, frontEnd);
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
  std::function<void(AppState&, FrontEnd&)> run;
};

TEST_F(Window, ClearAndDefaultActAndFieldsBoxesAndLabelsStartNothing) {
  registry.values["mapper"] = std::string(112, '1');
  Build();
  for (int n : {int(MidiPathField), int(RowsField), BoxNumber(4), int(StatusLine), int(FirstOtherControl)})
    toolkit.Click(n);
  toolkit.Later([this] {
    EXPECT_EQ(runs + toolkit.requests.size(), 0u);
    EXPECT_EQ(toolkit.CheckedText(), std::string(4, '1') + "0" + std::string(107, '1'));  // toggled by itself
  });
  toolkit.Click(ClearButton);
  toolkit.Later([this] { EXPECT_EQ(toolkit.CheckedText(), std::string(112, '0')); });
  toolkit.Click(DefaultButton);
  CloseAndRun();
  EXPECT_EQ(toolkit.CheckedText(), kDefaultMapper);  // not the stored text
}

TEST_F(Window, BrowseProposesTheMidiFieldsFolderAndNameButAlwaysSongTxtForTheOutput) {
  registry.values = {{"in", "/home/ann/music/song.mid"}, {"out", "/elsewhere/mine.txt"}};
  Build();
  toolkit.Click(MidiBrowseButton);  // cancelled: the fields stay
  toolkit.Click(OutputBrowseButton);
  toolkit.Later([this] { toolkit.answer = "/tmp/other.MID"; });
  toolkit.Click(MidiBrowseButton);
  CloseAndRun();
  const std::string midi = "open |/home/ann/music|song.mid|0|MIDI=*.MID";
  EXPECT_EQ(toolkit.requests,
            (Texts{midi, "save Please choose file to save||song.txt|0|Text (*.txt)=*.txt|All files (*.*)=*.*", midi}));
  EXPECT_EQ(toolkit.Text(MidiPathField), "/tmp/other.MID");
  EXPECT_EQ(toolkit.Text(OutputPathField), "/elsewhere/mine.txt");
}

TEST_F(Window, CloseStoresTheFourTextsThenTheMapperThenEnds) {
  Build();
  toolkit.SetText(MidiPathField, "/m/song.mid");
  toolkit.SetText(RowsField, "");
  toolkit.SetText(TicksField, "twelve");
  toolkit.SetText(OutputPathField, "/o/out.txt");
  toolkit.Click(BoxNumber(0));  // Pulse 1, channel 1: now unchecked
  toolkit.Later([this] { EXPECT_TRUE(registry.writes.empty()) << "written before the close"; });
  CloseAndRun();
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"in", "/m/song.mid"}, {"out", "/o/out.txt"}, {"rpp", ""}, {"ticks", "twelve"},
      {"mapper", "0" + kDefaultMapper.substr(1)}};
  EXPECT_EQ(registry.writes, expected);
  EXPECT_TRUE(toolkit.windowClosed);
}

TEST_F(Window, GoIsDisabledForTheRunAndItsReportStaysUpForFourSecondsAtMost) {
  Build();
  run = [this](AppState&, FrontEnd& frontEnd) {
    EXPECT_FALSE(toolkit.At(GoButton).enabled);
    toolkit.Click(GoButton);  // hits a disabled button
    frontEnd.SetStatus("Reading MIDI");
    frontEnd.ShowReport({"Completed.", {}});
  };
  toolkit.Click(GoButton);
  toolkit.WhenIdle([this] { EXPECT_TRUE(toolkit.At(GoButton).enabled); });
  CloseAndRun();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(toolkit.Text(StatusLine), "Reading MIDI");
  EXPECT_EQ(toolkit.reports, Texts{"Completed. for 4.000000 s"});
}

TEST_F(Window, StatusStepDropsAnEventQueuedBeforeTheRun) {
  Build();
  run = [](AppState&, FrontEnd& frontEnd) {
    frontEnd.SetStatus("one");
    frontEnd.SetStatus("two");
  };
  // Go and Clear arrive together: Go runs, its first step takes Clear and nothing else.
  toolkit.Later([this] {
    toolkit.Press(GoButton);
    toolkit.Press(ClearButton);
  });
  CloseAndRun();
  EXPECT_EQ(toolkit.CheckedText(), kDefaultMapper);
  EXPECT_EQ(toolkit.statusSteps, 1);
}

TEST_F(Window, InputDuringARunIsHandledButItsEventsAreDroppedUntilTheLastStep) {
  Build();
  run = [this](AppState&, FrontEnd& frontEnd) {
    toolkit.Click(BoxNumber(0));
    toolkit.Click(ClearButton);
    toolkit.RequestClose();
    toolkit.Click(OutputBrowseButton);
    frontEnd.SetStatus("Notes");
    EXPECT_FALSE(frontEnd.IsChannelMapped(1, 0)) << "notes placed now read the box the step toggled";
    toolkit.Click(MidiBrowseButton);  // after the last step: the loop handles it
  };
  toolkit.Click(GoButton);
  CloseAndRun();
  EXPECT_EQ(toolkit.CheckedText(), "0" + kDefaultMapper.substr(1));  // toggled; Clear lost
  ASSERT_EQ(toolkit.requests.size(), 1u);
  EXPECT_EQ(toolkit.requests[0].substr(0, 5), "open ");
  EXPECT_EQ(registry.writes.size(), 5u);  // one close sequence, after the run
}

TEST_F(Window, TwoRunsInARowWriteTheSameFile) {
  TempDir dir;
  Track t;
  t.Tempo(0, 500000).Program(0, 0, 0);
  for (int i = 0; i < 40; ++i) t.NoteOn(0, 0, 60 + i % 12, 100).NoteOff(12, 0, 60 + i % 12);
  WriteFile(dir / "song.mid", Smf(0, 48, {t.End()}));
  WriteFile(dir / "instruments.ini", "[0]\nMidiInstrument=Lead\nFTMacroVolume=-1 -1 0 : 15 12 9\n");
  registry.values = {{"in", dir / "song.mid"}, {"out", dir / "out.txt"}};
  Texts documents;
  run = [&](AppState& s, FrontEnd& frontEnd) {
    RunOptions options;  // the definition files in the test's folder
    options.instrumentsPath = dir / "instruments.ini";
    options.drumsPath = dir / "drums.ini";
    EXPECT_EQ(RunConversion(s, frontEnd, options), RunOutcome::Written);
    documents.push_back(ReadFile(dir / "out.txt"));
  };
  Build();
  toolkit.Click(GoButton);
  toolkit.WhenIdle([this] { toolkit.Press(GoButton); });
  CloseAndRun();
  ASSERT_EQ(documents.size(), 2u);
  EXPECT_NE(documents[0], "");
  EXPECT_EQ(documents[0], documents[1]);
  EXPECT_EQ(toolkit.clipboard, dir / "out.txt");
}

}  // namespace
}  // namespace tonvert::test
