// The window's logic without a display: the cases of window_cases.txt, each a
// script of what the user does and what the window must show, store and ask,
// and of text_cases.txt, the texts the window passes on.
#include "fake_toolkit.h"
#include "common/text.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/shell_platform.h"
#include "support/temp_dir.h"

namespace tonvert::test {
namespace {

using Words = std::vector<std::string>;

const std::map<std::string, int> kControls = {
    {"clear", ClearButton}, {"default", DefaultButton}, {"in", MidiPathField}, {"browse-in", MidiBrowseButton},
    {"rows", RowsField}, {"ticks", TicksField}, {"out", OutputPathField}, {"browse-out", OutputBrowseButton},
    {"go", GoButton}, {"status", StatusLine}, {"auto", AutoButton}, {"tempos", TempoChangesBox},
    {"nearest", NearestRowBox}, {"spread", SpreadChordsBox}, {"arpeggio", ArpeggiosBox}, {"other", FirstOtherControl}};

// The controls Tab reaches, in order, as x,y,w,h,text, and any two that overlap.
std::string Layout() {
  std::string got;
  const std::vector<ControlLayout> controls = MainWindowControls("out");
  for (const ControlLayout& c : controls) {
    const auto add = [&](const std::string& item) { got += (got.empty() ? "" : " ") + item; };
    if (c.kind != ControlKind::Frame && c.kind != ControlKind::Label)
      add(std::to_string(c.x) + "," + std::to_string(c.y) + "," + std::to_string(c.w) + "," + std::to_string(c.h) +
          "," + c.text);
    for (const ControlLayout& o : controls)
      if (&c < &o && c.kind != ControlKind::Frame && o.kind != ControlKind::Frame && c.x < o.x + o.w &&
          o.x < c.x + c.w && c.y < o.y + o.h && o.y < c.y + c.h)
        add("overlap:" + c.text + "/" + o.text);
  }
  return got;
}

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
  void Run(const std::vector<Words>& lines, FrontEnd& frontEnd) {
    for (const Words& line : lines) Do(Words(line.begin() + 1, line.end()), true, &frontEnd);
  }

  // Does one line; inRun: within Go! or Auto, where clicks are input for the next step.
  void Do(const Words& w, bool inRun, FrontEnd* frontEnd) {
    const std::string &op = w[0], a = w.size() > 1 ? w[1] : "", b = w.size() > 2 ? w[2] : "";
    const Words args(w.begin() + 1, std::find(w.begin(), w.end(), "=>"));
    std::string got, why;
    const auto press = [&](int control) {
      inRun ? toolkit.input.push_back([this, control] { toolkit.Press(control); }) : toolkit.Press(control);
    };
    if (op == "stored") registry.values[a] = b;
    else if (op == "windows") platform = WindowsShellPlatform();
    else if (op == "go:") return goLines.push_back(w);
    else if (op == "auto:") return autoLines.push_back(w);
    else if (op == "click") for (const std::string& name : args) press(Control(name));
    else if (op == "close") inRun ? toolkit.input.push_back([this] { toolkit.PressCloseBox(); }) : toolkit.PressCloseBox();
    else if (op == "set") toolkit.SetText(Control(a), b);
    else if (op == "answer") toolkit.answer = a;
    else if (op == "text") got = toolkit.Text(Control(a));
    else if (op == "enabled") got = toolkit.At(Control(a)).enabled ? "1" : "0";
    else if (op == "field") got = frontEnd->FieldText(static_cast<Field>(std::stoi(a)));
    else if (op == "mapped") got = frontEnd->IsChannelMapped(std::stoi(a), std::stoi(b)) ? "1" : "0";
    else if (op == "boxes") for (int box : toolkit.boxes) got += toolkit.IsChecked(box) ? '1' : '0';
    else if (op == "options")
      for (Option o : {Option::TempoChanges, Option::NearestRow, Option::SpreadChords, Option::Arpeggios})
        got += frontEnd->IsOptionOn(o) ? '1' : '0';
    else if (op == "step") frontEnd->Step(static_cast<Stage>(std::stoi(a)), b.empty() ? 0 : std::stoi(b));
    else if (op == "steps") {  // COUNT: notes 0 to COUNT-1, 1 ms apart
      const int before = toolkit.textsSet;
      for (int i = 0; i < std::stoi(a); ++i) frontEnd->Step(Stage::Note, i);
      got = std::to_string(toolkit.textsSet - before) + " painted " + std::to_string(toolkit.statusSteps) + " steps";
    } else if (op == "report") frontEnd->ShowReport({a, {}});
    else if (op == "suggest") suggested->SetChecked(std::stoi(a), true);
    else if (op == "convert") {  // with the example's definitions
      RunOptions options;
      options.instrumentsPath = std::string(TONVERT_SOURCE_DIR) + "/examples/instruments.ini";
      options.drumsPath = std::string(TONVERT_SOURCE_DIR) + "/examples/drums.ini";
      got = std::to_string(static_cast<int>(RunConversion(*frontEnd, options)));
      documents.push_back(ReadFile(dir / "out.txt"));
    } else if (op == "documents") {
      const bool same = documents.size() > 1 && documents[0] == documents.back() && documents[0].size() > 1000;
      got = std::to_string(documents.size()) + (same ? " same" : " differ");
    } else if (op == "log") got = toolkit.log;
    else if (op == "writes") got = registry.writes;
    else if (op == "key") got = registry.key.substr(std::string(kPlatformSettingsFolder).size());
    else if (op == "state") got = toolkit.title + (toolkit.closed ? "|closed|" : "|open|") + std::to_string(toolkit.statusSteps) + " steps";
    else if (op == "propose") got = SplitProposedFile(a, b[0]).folder + "|" + SplitProposedFile(a, b[0]).name;
    else if (op == "home") got = LinuxShellPlatform(a == "-" ? nullptr : a.c_str()).defaultOutputPath;
    else if (op == "args") got = FirstFileArgument(args);
    else if (op == "number") got = std::to_string(TextToNumber(a));
    else if (op == "layout") got = Layout();
    else ADD_FAILURE() << "unknown op " << op;
    EXPECT_TRUE(Expect(w, got, why)) << why;
  }

  // Lines up to "start" set up; from "start" to "end" each line is input the
  // loop reaches in turn ("idle" lines once all other input is handled); the
  // window then closes and the lines after "end" check.
  void Play(Case& c) {
    for (Words& w : c.lines)
      for (std::string& word : w)
        for (const std::string from : {"@TEMP@", "@SOURCE@"})
          for (size_t at; (at = word.find(from)) != std::string::npos;)
            word.replace(at, from.size(), from == "@TEMP@" ? dir.path() : TONVERT_SOURCE_DIR);
    size_t k = 0;
    for (; k < c.lines.size() && c.lines[k][0] != "start"; ++k) Do(c.lines[k], false, nullptr);
    if (k == c.lines.size()) return;
    settings.OpenSettingsKey(kSettingsSubkey);
    window = std::make_unique<MainWindow>(
        toolkit, settings, platform,
        [this](FrontEnd& frontEnd, const RunOptions&) { return Run(goLines, frontEnd), RunOutcome::Written; },
        [this](FrontEnd& frontEnd, ChannelAssignment& boxes) { suggested = &boxes, Run(autoLines, frontEnd); },
        [this] { return now += std::chrono::milliseconds(1); });
    ASSERT_TRUE(window->Build());
    for (++k; k < c.lines.size() && c.lines[k][0] != "end"; ++k) {
      const bool idle = c.lines[k][0] == "idle";
      const Words w(c.lines[k].begin() + (idle ? 1 : 0), c.lines[k].end());
      (idle ? toolkit.idleInput : toolkit.input).push_back([this, w] { Do(w, false, window.get()); });
    }
    toolkit.idleInput.push_back([this] { toolkit.PressCloseBox(); });
    EXPECT_EQ(window->RunEventLoop(), 0);
    for (++k; k < c.lines.size(); ++k) Do(c.lines[k], false, window.get());
  }
};

TEST(Window, Cases) {
  for (const char* file : {"window_cases.txt", "text_cases.txt"})
    for (Case& c : ReadCases(file)) {
      SCOPED_TRACE(c.name);
      WindowCase().Play(c);
    }
}

}  // namespace
}  // namespace tonvert::test
