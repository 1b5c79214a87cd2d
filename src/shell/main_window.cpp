#include "shell/main_window.h"

#include <utility>

#include "shell/window_layout.h"

namespace tonvert {

MainWindow::MainWindow(Toolkit& toolkit, Settings& settings, const ShellPlatform& platform,
                       RunFunction run, MappingSuggestion suggest, Clock clock)
    : toolkit_(toolkit),
      settings_(settings),
      platform_(platform),
      run_(std::move(run)),
      suggest_(std::move(suggest)),
      clock_(std::move(clock)) {}

bool MainWindow::Build() {
  if (!toolkit_.OpenWindow(MainWindowTitle(), kClientWidth, kClientHeight, events_))
    return false;
  for (ControlLayout control : MainWindowControls(platform_.defaultOutputPath)) {
    // Each setting is read right before its control is created, and shown as
    // stored; an option box is checked only by the exact text "1".
    const bool isBox = control.kind == ControlKind::CheckBox;
    bool optionOn = false;
    if (!control.setting.empty() && isBox)
      optionOn = settings_.ReadSetting(control.setting, "") == "1";
    else if (!control.setting.empty())
      control.text = settings_.ReadSetting(control.setting, control.text);
    toolkit_.CreateControl(control);
    if (!isBox) continue;
    if (control.trackerChannel == 0) {
      toolkit_.SetChecked(control.number, optionOn);
      continue;
    }
    mapperBoxList_.push_back({control.trackerChannel, control.midiChannel, control.number});
    toolkit_.SetChecked(control.number, DefaultChannelMap(control.trackerChannel, control.midiChannel));
    if (mapperBoxList_.size() == static_cast<size_t>(kMapperBoxCount)) LoadMapper();
  }
  toolkit_.ShowWindow();
  return true;
}

int MainWindow::RunEventLoop() {
  for (;;) {
    while (events_.Empty()) toolkit_.WaitForEvents();
    const AppEvent event = events_.Take();
    if (event.kind == AppEvent::Kind::Close) {
      if (event.number != kMainWindowNumber) continue;
      CloseSequence();
      return 0;
    }
    Dispatch(event.number);
  }
}

void MainWindow::Dispatch(int control) {
  // Fields, labels, the status line and the check boxes do nothing here; a box
  // has toggled by itself before its event arrives.
  if (control == ClearButton)
    ClearMapper();
  else if (control == DefaultButton)
    DefaultMapper();
  else if (control == AutoButton)
    SuggestMapping();
  else if (control == GoButton)
    Convert();
  else if (control == MidiBrowseButton)
    ChooseMidiFile();
  else if (control == OutputBrowseButton)
    ChooseOutputFile();
}

void MainWindow::Convert() {
  // The run holds this thread until it returns; Go! stays disabled so that no
  // second run can start from a status step.
  toolkit_.EnableControl(GoButton, false);
  run_(*this, RunOptions{});
  ShowPendingStatus();
  toolkit_.EnableControl(GoButton, true);
}

void MainWindow::ChooseMidiFile() {
  const std::string path = toolkit_.RequestOpenFile(
      MidiFileRequest(toolkit_.Text(MidiPathField), platform_.folderSeparator));
  if (!path.empty()) toolkit_.SetText(MidiPathField, path);
}

void MainWindow::ChooseOutputFile() {
  const std::string path = toolkit_.RequestSaveFile(OutputFileRequest());
  if (!path.empty()) toolkit_.SetText(OutputPathField, path);
}

void MainWindow::CloseSequence() {
  settings_.WriteSetting("in", toolkit_.Text(MidiPathField));
  settings_.WriteSetting("out", toolkit_.Text(OutputPathField));
  settings_.WriteSetting("rpp", toolkit_.Text(RowsField));
  settings_.WriteSetting("ticks", toolkit_.Text(TicksField));
  SaveMapper();
  for (const OptionBox& box : kOptionBoxes)
    settings_.WriteSetting(box.setting, toolkit_.IsChecked(box.control) ? "1" : "0");
  toolkit_.CloseWindow();
}

void MainWindow::LoadMapper() { ApplyMapperText(boxes_, settings_.ReadSetting("mapper", "")); }

void MainWindow::SaveMapper() { settings_.WriteSetting("mapper", MapperText(boxes_)); }

void MainWindow::ClearMapper() { tonvert::ClearMapper(boxes_); }

void MainWindow::DefaultMapper() { tonvert::DefaultMapper(boxes_); }

void MainWindow::SuggestMapping() {
  if (suggest_) suggest_(*this, boxes_);
}

void MainWindow::Step(Stage stage, int64_t index) {
  const auto now = clock_();
  pendingStatus_ = StatusText(stage, index);
  statusPending_ = true;
  if (now - lastStatusPaint_ >= kStatusRepaint) {
    ShowPendingStatus();
    lastStatusPaint_ = now;
  }
  // One step that never waits and never acts: an event already queued is
  // dropped; otherwise pending input is handled (the window repaints, boxes
  // toggle) and whatever events that yields are dropped.
  if (!events_.Empty()) {
    events_.Take();
    return;
  }
  toolkit_.HandlePendingEvents();
  events_.Clear();
}

void MainWindow::ShowPendingStatus() {
  if (!statusPending_) return;
  toolkit_.SetText(StatusLine, pendingStatus_);
  statusPending_ = false;
}

void MainWindow::ShowMessage(const Message& message) {
  // The box waits for the user: the status line shows the stage it came from.
  ShowPendingStatus();
  toolkit_.ShowMessage(message);
}

bool MainWindow::IsChannelMapped(int trackerChannel, int midiChannel) {
  // Read from the live boxes: a box clicked during a run counts for later notes.
  return tonvert::IsChannelMapped(boxes_, trackerChannel, midiChannel);
}

std::string MainWindow::FieldText(Field field) {
  switch (field) {
    case Field::MidiPath: return toolkit_.Text(MidiPathField);
    case Field::Rows: return toolkit_.Text(RowsField);
    case Field::Ticks: return toolkit_.Text(TicksField);
    case Field::OutputPath: return toolkit_.Text(OutputPathField);
  }
  return {};
}

bool MainWindow::IsOptionOn(Option option) {
  // The live box, like the fields: a click during a run counts from then on.
  for (const OptionBox& box : kOptionBoxes)
    if (box.option == option) return toolkit_.IsChecked(box.control);
  return false;
}

void MainWindow::PutOnClipboard(const std::string& text) { toolkit_.PutOnClipboard(text); }

void MainWindow::ShowReport(const RunReport& report) {
  ShowPendingStatus();
  toolkit_.ShowReport(report.text, kReportSeconds);
}

}  // namespace tonvert
