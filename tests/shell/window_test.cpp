// The window's logic without a display: the cases of window_cases.txt, each a
// script of what the user does and what the window must show, store and ask,
// and of text_cases.txt, the texts the window passes on.
#include "fake_toolkit.h"
#include "common/text.h"
#include "shell/application.h"
#include "shell/window_layout.h"
#include "support/temp_dir.h"

namespace tonvert::test {
namespace {

const std::map<std::string, int> kControls = {
    {"clear", ClearButton}, {"default", DefaultButton}, {"in", MidiPathField}, {"browse-in", MidiBrowseButton},
    {"rows", RowsField}, {"ticks", TicksField}, {"out", OutputPathField}, {"browse-out", OutputBrowseButton},
    {"go", GoButton}, {"status", StatusLine}, {"auto", AutoButton}, {"tempos", TempoChangesBox},
    {"nearest", NearestRowBox}, {"spread", SpreadChordsBox}, {"arpeggio", ArpeggiosBox}, {"other", FirstOtherControl}, {"close", -1}};

// One case: the window on a fake toolkit, Go! and Auto running the case's
// "go:" and "auto:" lines.
struct WindowCase {
  FakeRegistry registry;
  FakeToolkit toolkit;
  Settings settings{registry};
  ShellPlatform platform = LinuxShellPlatform("/home/ann");
  std::unique_ptr<MainWindow> window;
  std::vector<Words> goLines, autoLines;
  std::chrono::steady_clock::time_point now{};  // each look at the clock: 1 ms later
  TempDir dir;
  std::vector<std::string> documents;
  ChannelAssignment* suggested = nullptr;

  int Control(const std::string& name) {
    return name.rfind("box", 0) == 0 ? window->MapperBoxList()[std::stoul(name.substr(3))].control : kControls.at(name);
  }
  void Run(const std::vector<Words>& lines, FrontEnd& f) { for (const Words& l : lines) Do(Words(l.begin() + 1, l.end()), true, &f); }

  // Does one line; inRun: within Go! or Auto, where clicks are input for the next step.
  void Do(const Words& w, bool inRun, FrontEnd* frontEnd) {
    const std::string &op = w[0], a = w.size() > 1 ? w[1] : "", b = w.size() > 2 ? w[2] : "";
    const Words args(w.begin() + 1, std::find(w.begin(), w.end(), "=>"));
    std::string got;
    if (op == "stored")  // @SONG@: the example song; @OUT@: a scratch file
      registry.values[a] = b == "@SONG@" ? TONVERT_SOURCE_DIR "/examples/song.mid" : b == "@OUT@" ? dir / "out.txt" : b;
    else if (op == "windows") platform = WindowsShellPlatform();
    else if (op == "go:") return goLines.push_back(w);
    else if (op == "auto:") return autoLines.push_back(w);
    else if (op == "click")
      for (const std::string& name : args) inRun ? toolkit.input.push_back([this, c = Control(name)] { toolkit.Press(c); }) : toolkit.Press(Control(name));
    else if (op == "set") toolkit.SetText(Control(a), b);
    else if (op == "answer") toolkit.answer = a;
    else if (op == "text") got = toolkit.Text(Control(a));
    else if (op == "enabled") got = toolkit.controls.at(Control(a)).enabled ? "1" : "0";
    else if (op == "field") got = frontEnd->FieldText(static_cast<Field>(std::stoi(a)));
    else if (op == "mapped") got = frontEnd->IsChannelMapped(std::stoi(a), std::stoi(b)) ? "1" : "0";
    else if (op == "boxes") for (const MapperBox& box : window->MapperBoxList()) got += toolkit.IsChecked(box.control) ? '1' : '0';
    else if (op == "options")
      for (Option o : {Option::TempoChanges, Option::NearestRow, Option::SpreadChords, Option::Arpeggios})
        got += frontEnd->IsOptionOn(o) ? '1' : '0';
    else if (op == "step") {  // STAGE [N [COUNT]]: COUNT notes from N on, 1 ms apart: the repaints, the status steps
      const int before = toolkit.textsSet, count = w.size() > 3 && w[3] != "=>" ? std::stoi(w[3]) : 1;
      for (int i = 0; i < count; ++i) frontEnd->Step(static_cast<Stage>(std::stoi(a)), (b.empty() ? 0 : std::stoi(b)) + i);
      got = std::to_string(toolkit.textsSet - before) + " painted " + std::to_string(toolkit.statusSteps) + " steps";
    } else if (op == "report") frontEnd->ShowReport({a, {}});
    else if (op == "suggest") suggested->SetChecked(std::stoi(a), true);
    else if (op == "convert") {  // with the example's definitions: the outcome, and whether the first run wrote the same
      RunOptions options;
      options.instrumentsPath = TONVERT_SOURCE_DIR "/examples/instruments.ini";
      options.drumsPath = TONVERT_SOURCE_DIR "/examples/drums.ini";
      got = std::to_string(static_cast<int>(RunConversion(*frontEnd, options)));
      documents.push_back(ReadFile(dir / "out.txt"));
      got += documents[0] == documents.back() ? " same" : " differ";
    } else if (op == "log") got = toolkit.log;
    else if (op == "writes") got = registry.writes;
    else if (op == "state") got = toolkit.title + (toolkit.closed ? "|closed|" : "|open|") + std::to_string(toolkit.statusSteps) + " steps";
    else if (op == "propose") got = SplitProposedFile(a, b[0]).folder + "|" + SplitProposedFile(a, b[0]).name;
    else if (op == "home") got = LinuxShellPlatform(a == "-" ? nullptr : a.c_str()).defaultOutputPath;
    else if (op == "args") got = FirstFileArgument(args);
    else if (op == "number") got = std::to_string(TextToNumber(a));
    else ADD_FAILURE() << "unknown op " << op;
    EXPECT_EQ(Mismatch(w, got), "");
  }

  // Lines up to "start" set up; from "start" to "end" each line is input the
  // loop reaches in turn ("idle" lines once all other input is handled); the
  // window then closes and the lines after "end" check.
  void Play(const std::vector<Words>& lines) {
    size_t k = 0;
    for (; k < lines.size() && lines[k][0] != "start"; ++k) Do(lines[k], false, nullptr);
    if (k == lines.size()) return;
    settings.OpenSettingsKey(kSettingsSubkey);
    window = std::make_unique<MainWindow>(
        toolkit, settings, platform,
        [this](FrontEnd& frontEnd, const RunOptions&) { return Run(goLines, frontEnd), RunOutcome::Written; },
        [this](FrontEnd& frontEnd, ChannelAssignment& boxes) { suggested = &boxes, Run(autoLines, frontEnd); },
        [this] { return now += std::chrono::milliseconds(1); });
    ASSERT_TRUE(window->Build());
    for (++k; k < lines.size() && lines[k][0] != "end"; ++k) {
      const bool idle = lines[k][0] == "idle";
      const Words w(lines[k].begin() + (idle ? 1 : 0), lines[k].end());
      (idle ? toolkit.idleInput : toolkit.input).push_back([this, w] { Do(w, false, window.get()); });
    }
    toolkit.idleInput.push_back([this] { toolkit.Press(-1); });
    EXPECT_EQ(window->RunEventLoop(), 0);
    for (++k; k < lines.size(); ++k) Do(lines[k], false, window.get());
  }
};

TEST(Window, Cases) {
  for (const char* file : {"window_cases.txt", "text_cases.txt"})
    for (Case& c : ReadCases(file)) {
      SCOPED_TRACE(c.first);
      WindowCase().Play(c.second);
    }
}

}  // namespace
}  // namespace tonvert::test
