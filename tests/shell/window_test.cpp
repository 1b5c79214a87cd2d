// The window's logic, without a display: the requesters' proposed file and the
// default output per platform, the controls' places and Tab order, and through
// the fake toolkit start-up, dispatch, the requesters, the close sequence, the status step, the
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

// The four option boxes as "0"/"1": tempo changes, nearest row, spread chords, arpeggios.
std::string OptionsOn(FrontEnd& frontEnd) {
  std::string text;
  for (Option o : {Option::TempoChanges, Option::NearestRow, Option::SpreadChords, Option::Arpeggios})
    text += frontEnd.IsOptionOn(o) ? '1' : '0';
  return text;
}

TEST(WindowLayout, ControlsTakeTheFocusInThisOrderAtTheirPlacesAndNoneOverlaps) {
  // Every control Tab reaches, in creation order; the mapper's boxes stand in one entry.
  using Place = std::tuple<int, int, int, int, int, std::string>;
  const std::vector<Place> expected = {
      {MidiPathField, 20, 40, 390, 20, ""}, {MidiBrowseButton, 420, 40, 80, 20, "Browse"}, {RowsField, 20, 90, 70, 20, "64"},
      {TempoChangesBox, 110, 90, 150, 20, "Tempo changes"}, {SpreadChordsBox, 270, 90, 150, 20, "Spread chords"},
      {TicksField, 20, 140, 70, 20, "36"}, {NearestRowBox, 110, 140, 150, 20, "Nearest row"},
      {ArpeggiosBox, 270, 140, 150, 20, "Arpeggios"}, {-1, 0, 0, 0, 0, "mapper"}, {ClearButton, 20, 560, 80, 20, "Clear"},
      {DefaultButton, 110, 560, 80, 20, "Default"}, {AutoButton, 200, 560, 80, 20, "Auto"},
      {OutputPathField, 20, 630, 390, 20, "out"}, {OutputBrowseButton, 420, 630, 80, 20, "Browse"},
      {GoButton, 420, 660, 80, 20, "Go!"}};
  const std::vector<ControlLayout> controls = MainWindowControls("out");
  std::vector<Place> focus;
  Texts overlaps;
  int k = 0;
  for (const ControlLayout& c : controls) {
    for (const ControlLayout& o : controls)
      if (&c < &o && c.kind != ControlKind::Frame && o.kind != ControlKind::Frame && c.x < o.x + o.w &&
          o.x < c.x + c.w && c.y < o.y + o.h && o.y < c.y + c.h)
        overlaps.push_back(c.text + " / " + o.text);
    if (c.kind == ControlKind::Frame || c.kind == ControlKind::Label) continue;
    if (c.trackerChannel == 0) {
      focus.emplace_back(c.number, c.x, c.y, c.w, c.h, c.text);
      continue;
    }
    if (k == 0) focus.emplace_back(-1, 0, 0, 0, 0, "mapper");
    const int t = 1 + k / 16, m = k++ % 16;
    EXPECT_EQ(std::make_tuple(c.x, c.y, c.w, c.h, c.text, c.trackerChannel, c.midiChannel),
              std::make_tuple(30 + 70 * (t - 1), 220 + 20 * m, 30, 20, std::to_string(m + 1), t, m));
  }
  EXPECT_EQ(k, 112);
  EXPECT_EQ(focus, expected);
  EXPECT_EQ(overlaps, Texts{});
}

TEST(StartUp, ShowsTheStoredTextsAsStoredAndTheDefaultsForWhatIsNotStored) {
  const struct { std::map<std::string, std::string> stored; Texts shown; Texts args; } cases[] = {
      {{}, {"", "64", "36", "/home/ann/song.txt", kDefaultMapper, "0000"}, {"-x", ""}},
      {{{"in", " /music/a b.mid"}, {"rpp", "abc"}, {"ticks", "$20"}, {"out", "/x.txt"}, {"mapper", "1"},
        {"tempos", "1"}, {"nearest", "yes"}, {"spread", "1 "}, {"arpeggio", "1"}},  // only "1" checks
       {" /music/a b.mid", "abc", "$20", "/x.txt", "1" + std::string(111, '0'), "1001"}, {}},
      {{{"nearest", "1"}, {"spread", "1"}, {"tempos", "0"}}, {"", "64", "36", "/home/ann/song.txt", kDefaultMapper, "0110"}, {}},
      // A file on the command line ("Open with") replaces the stored one.
      {{{"in", "/music/a.mid"}}, {"-b.mid", "64", "36", "/home/ann/song.txt", kDefaultMapper, "0000"},
       {"-x", "--", "-b.mid", "c.mid"}},
  };
  for (const auto& c : cases) {
    FakeRegistry registry;
    registry.values = c.stored;
    FakeToolkit toolkit;
    toolkit.RequestClose();
    EXPECT_EQ(RunApplication(toolkit, registry, LinuxShellPlatform("/home/ann"), c.args), 0);
    auto on = [&](int box) { return toolkit.At(box).checked ? '1' : '0'; };
    EXPECT_EQ(registry.key, std::string(kPlatformSettingsFolder) + "FARROW_TONVERT");
    EXPECT_EQ(toolkit.title, "Quenby Tonvert v0.1.124.1 (farrow.example)");
    EXPECT_EQ((Texts{toolkit.Text(MidiPathField), toolkit.Text(RowsField), toolkit.Text(TicksField),
                     toolkit.Text(OutputPathField), toolkit.CheckedText(),
                     std::string{on(TempoChangesBox), on(NearestRowBox), on(SpreadChordsBox), on(ArpeggiosBox)}}),
              c.shown);
  }
}

// The window with Go! running `run` on the window's own state.
class Window : public ::testing::Test {
 protected:
  void Build() {
    settings.OpenSettingsKey("FARROW_TONVERT");
    window = std::make_unique<MainWindow>(
        toolkit, settings, LinuxShellPlatform("/home/ann"),
        [this](FrontEnd& frontEnd, const RunOptions&) {
          ++runs;
          if (run) run(frontEnd);
          return RunOutcome::Written;
        },
        suggest, [this] { return now += std::chrono::milliseconds(1); });
    ASSERT_TRUE(window->Build());
  }
  // Closes once the window is idle after all other input; runs the loop to its end.
  void CloseAndRun() {
    toolkit.WhenIdle([this] { toolkit.PressCloseBox(); });
    EXPECT_EQ(window->RunEventLoop(), 0);
  }
  int BoxNumber(int k) { return window->MapperBoxList()[k].control; }

  FakeRegistry registry;
  FakeToolkit toolkit;
  Settings settings{registry};
  std::unique_ptr<MainWindow> window;
  int runs = 0;
  std::function<void(FrontEnd&)> run;
  std::chrono::steady_clock::time_point now{};  // each look at the clock: 1 ms later
  MappingSuggestion suggest;  // what "Auto" runs; empty: nothing
};

TEST_F(Window, ClearDefaultAndAutoActAndFieldsBoxesAndLabelsStartNothing) {
  registry.values["mapper"] = std::string(112, '1');
  suggest = [this](FrontEnd& frontEnd, ChannelAssignment& boxes) {
    EXPECT_EQ(frontEnd.FieldText(Field::Rows), "64");
    EXPECT_EQ(OptionsOn(frontEnd), "0001") << "the boxes as they are now";
    boxes.SetChecked(MapperBoxIndex(5, 9), true);
  };
  Build();
  for (int n : {int(MidiPathField), int(RowsField), BoxNumber(4), int(ArpeggiosBox), int(StatusLine),
                int(FirstOtherControl)})
    toolkit.Click(n);
  toolkit.Later([this] {
    EXPECT_EQ(runs + toolkit.requests.size(), 0u);
    EXPECT_EQ(toolkit.CheckedText(), std::string(4, '1') + "0" + std::string(107, '1'));  // toggled by itself
  });
  toolkit.Click(ClearButton);
  toolkit.Later([this] { EXPECT_EQ(toolkit.CheckedText(), std::string(112, '0')); });
  toolkit.Click(AutoButton);
  toolkit.Later([this] { EXPECT_EQ(toolkit.CheckedText(), std::string(73, '0') + "1" + std::string(38, '0')); });
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

TEST_F(Window, CloseStoresTheFourTextsThenTheMapperThenTheOptionsThenEnds) {
  Build();
  toolkit.SetText(MidiPathField, "/m/song.mid");
  toolkit.SetText(RowsField, "");
  toolkit.SetText(TicksField, "twelve");
  toolkit.SetText(OutputPathField, "/o/out.txt");
  toolkit.Click(BoxNumber(0));  // Pulse 1, channel 1: now unchecked
  toolkit.Click(TempoChangesBox);
  toolkit.Click(NearestRowBox);
  toolkit.Later([this] {
    EXPECT_TRUE(registry.writes.empty()) << "written before the close";
    EXPECT_EQ(OptionsOn(*window), "1100");
  });
  CloseAndRun();
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"in", "/m/song.mid"}, {"out", "/o/out.txt"}, {"rpp", ""}, {"ticks", "twelve"},
      {"mapper", "0" + kDefaultMapper.substr(1)}, {"tempos", "1"}, {"nearest", "1"}, {"spread", "0"},
      {"arpeggio", "0"}};
  EXPECT_EQ(registry.writes, expected);
  EXPECT_TRUE(toolkit.windowClosed);
}

TEST_F(Window, GoIsDisabledForTheRunAndItsReportStaysUpForFourSecondsAtMost) {
  Build();
  run = [this](FrontEnd& frontEnd) {
    EXPECT_FALSE(toolkit.At(GoButton).enabled);
    toolkit.Click(GoButton);  // hits a disabled button
    frontEnd.Step(Stage::ReadingMidi);
    frontEnd.Step(Stage::Note, 31);  // within 20 ms: shown when the report comes up
    frontEnd.ShowReport({"Completed.", {}});
  };
  toolkit.Click(GoButton);
  toolkit.WhenIdle([this] { EXPECT_TRUE(toolkit.At(GoButton).enabled); });
  CloseAndRun();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(toolkit.Text(StatusLine), "Note #31");
  EXPECT_EQ(toolkit.reports, Texts{"Completed. for 4.000000 s"});
}

TEST_F(Window, StatusLineIsRepaintedEveryTwentyMillisecondsAndEndsOnTheLastText) {
  Build();
  run = [this](FrontEnd& frontEnd) {
    const int before = toolkit.textsSet;
    for (int i = 0; i < 100; ++i) frontEnd.Step(Stage::Note, i);  // 1 ms apart
    EXPECT_EQ(toolkit.textsSet - before, 5) << "at 0, 20, 40, 60 and 80 ms";
    EXPECT_EQ(toolkit.statusSteps, 100) << "every step still lets input through";
  };
  toolkit.Click(GoButton);
  CloseAndRun();
  EXPECT_EQ(toolkit.Text(StatusLine), "Note #99");
}

TEST_F(Window, StatusStepDropsAnEventQueuedBeforeTheRun) {
  Build();
  run = [](FrontEnd& frontEnd) {
    frontEnd.Step(Stage::ReadingMidi);
    frontEnd.Step(Stage::ReadingInstruments);
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
  run = [this](FrontEnd& frontEnd) {
    toolkit.Click(BoxNumber(0));
    toolkit.Click(NearestRowBox);
    toolkit.Click(ClearButton);
    toolkit.RequestClose();
    toolkit.Click(OutputBrowseButton);
    EXPECT_EQ(OptionsOn(frontEnd), "0000");
    frontEnd.Step(Stage::Notes);
    EXPECT_FALSE(frontEnd.IsChannelMapped(1, 0)) << "notes placed now read the box the step toggled";
    EXPECT_EQ(OptionsOn(frontEnd), "0100") << "and the option box";
    toolkit.Click(MidiBrowseButton);  // after the last step: the loop handles it
  };
  toolkit.Click(GoButton);
  CloseAndRun();
  EXPECT_EQ(toolkit.CheckedText(), "0" + kDefaultMapper.substr(1));  // toggled; Clear lost
  ASSERT_EQ(toolkit.requests.size(), 1u);
  EXPECT_EQ(toolkit.requests[0].substr(0, 5), "open ");
  EXPECT_EQ(registry.writes.size(), 9u);  // one close sequence, after the run
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
  run = [&](FrontEnd& frontEnd) {
    RunOptions options;  // the definition files in the test's folder
    options.instrumentsPath = dir / "instruments.ini";
    options.drumsPath = dir / "drums.ini";
    EXPECT_EQ(RunConversion(frontEnd, options), RunOutcome::Written);
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
