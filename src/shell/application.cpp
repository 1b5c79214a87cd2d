#include "shell/application.h"

#include "common/library_files.h"
#include "shell/window_layout.h"

namespace tonvert {

RunOutcome RunWithLibrary(FrontEnd& frontEnd, const RunOptions& options) {
  RunOptions found = options;
  found.instrumentsPath = FindDefinitionFile(options.instrumentsPath).path;
  found.drumsPath = FindDefinitionFile(options.drumsPath).path;
  return RunConversion(frontEnd, found);
}

int RunApplication(Toolkit& toolkit, Registry& registry, const ShellPlatform& platform,
                   const std::vector<std::string>& args, RunFunction run, MappingSuggestion suggest) {
  Settings settings(registry);
  settings.OpenSettingsKey(kSettingsSubkey);
  MainWindow window(toolkit, settings, platform, std::move(run), std::move(suggest));
  if (!window.Build()) return 1;
  const std::string midiPath = FirstFileArgument(args);
  if (!midiPath.empty()) toolkit.SetText(MidiPathField, midiPath);
  return window.RunEventLoop();
}

}  // namespace tonvert
