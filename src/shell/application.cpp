#include "shell/application.h"

namespace tonvert {

int RunApplication(Toolkit& toolkit, Registry& registry, const ShellPlatform& platform,
                   RunFunction run, MappingSuggestion suggest) {
  Settings settings(registry);
  settings.OpenSettingsKey(kSettingsSubkey);
  MainWindow window(toolkit, settings, platform, std::move(run), std::move(suggest));
  if (!window.Build()) return 1;
  return window.RunEventLoop();
}

}  // namespace tonvert
