#include "shell/application.h"

#include <memory>

#include "common/library_files.h"
#include "convert/app_state.h"
#include "shell/window_layout.h"

namespace tonvert {

RunOutcome RunWithLibrary(AppState& state, FrontEnd& frontEnd, const RunOptions& options) {
  RunOptions found = options;
  found.instrumentsPath = FindDefinitionFile(options.instrumentsPath).path;
  found.drumsPath = FindDefinitionFile(options.drumsPath).path;
  return RunConversion(state, frontEnd, found);
}

int RunApplication(Toolkit& toolkit, Registry& registry, const ShellPlatform& platform,
                   const std::vector<std::string>& args, RunFunction run) {
  // Every run reuses this state; it lives until the program ends.
  auto state = std::make_unique<AppState>();
  Settings settings(registry);
  settings.OpenSettingsKey(kSettingsSubkey);
  MainWindow window(toolkit, settings, *state, platform, std::move(run));
  if (!window.Build()) return 1;
  const std::string midiPath = FirstFileArgument(args);
  if (!midiPath.empty()) toolkit.SetText(MidiPathField, midiPath);
  return window.RunEventLoop();
}

}  // namespace tonvert
