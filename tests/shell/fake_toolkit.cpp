#include "fake_toolkit.h"

#include <gtest/gtest.h>

#include "shell/channel_mapper.h"
#include "shell/window_layout.h"

namespace tonvert::test {

bool FakeToolkit::OpenWindow(const std::string& windowTitle, int w, int h,
                             AppEventQueue& events) {
  if (log_ != nullptr) log_->push_back("open window");
  if (openFails) return false;
  title = windowTitle, width = w, height = h;
  events_ = &events;
  return true;
}

void FakeToolkit::CreateControl(const ControlSpec& control) {
  if (log_ != nullptr) log_->push_back("create " + std::to_string(control.number));
  EXPECT_EQ(controls.count(control.number), 0u) << "number used twice: " << control.number;
  controls[control.number].created = control;
}

void FakeToolkit::SetText(int control, const std::string& text) {
  At(control).created.text = text;
  if (control != StatusLine) return;
  statusTexts.push_back(text);
  goEnabledAtStatus.push_back(At(GoButton).enabled);
  if (onStatusText) onStatusText(text);
}

void FakeToolkit::WaitForEvents() {
  auto& queue = input.empty() ? idleInput : input;
  if (queue.empty()) {
    // A real toolkit would wait forever; end the loop instead.
    ADD_FAILURE() << "the event loop waits, but no input is left";
    PressCloseBox();
    return;
  }
  auto action = std::move(queue.front());
  queue.pop_front();
  action();
}

void FakeToolkit::HandlePendingEvents() {
  ++statusSteps;
  while (!input.empty()) {
    auto action = std::move(input.front());
    input.pop_front();
    action();
  }
}

void FakeToolkit::ShowReport(const std::string& text, double seconds) {
  reports.push_back(text);
  reportSeconds = seconds;
}

void FakeToolkit::Press(int control) {
  Control& c = At(control);
  if (!c.enabled) return;
  if (c.created.kind == ControlKind::CheckBox) c.checked = !c.checked;
  events_->Post({AppEvent::Kind::Control, control});
}

void FakeToolkit::Type(int control, const std::string& text) {
  Later([this, control, text] {
    At(control).created.text = text;
    events_->Post({AppEvent::Kind::Control, control});
  });
}

FakeToolkit::Control& FakeToolkit::At(int control) {
  if (controls.count(control) == 0) ADD_FAILURE() << "no control " << control;
  return controls[control];
}

FakeToolkit::Control& FakeToolkit::Box(int trackerChannel, int midiChannel) {
  for (auto& [number, c] : controls)
    if (c.created.kind == ControlKind::CheckBox && c.created.trackerChannel == trackerChannel &&
        c.created.midiChannel == midiChannel)
      return c;
  ADD_FAILURE() << "no box " << trackerChannel << "/" << midiChannel;
  return controls[-1];
}

std::string FakeToolkit::CheckedText() {
  std::string text;
  for (int t = 1; t <= kTrackerChannels; ++t)
    for (int m = 0; m < kMidiChannels; ++m) text += Box(t, m).checked ? '1' : '0';
  return text;
}

bool FakeRegistry::CreateRegistryKey(const std::string& path) {
  if (log_ != nullptr) log_->push_back("create key " + path);
  key = path;
  return true;
}

std::string FakeRegistry::ReadRegistryValue(const std::string& path, const std::string& name) {
  if (log_ != nullptr) log_->push_back("read " + name);
  return path == key && values.count(name) ? values[name] : std::string();
}

bool FakeRegistry::WriteRegistryValue(const std::string& path, const std::string& name,
                                      const std::string& text) {
  if (path != key) return false;
  values[name] = text;
  writes.emplace_back(name, text);
  return true;
}

}  // namespace tonvert::test
