#include "shell/application.h"

#include <memory>

#include "convert/app_state.h"

namespace tonvert {

int RunApplication(Toolkit& toolkit, Registry& registry, const ShellPlatform& platform,
                   RunFunction run, MappingSuggestion suggest) {
  // Every run reuses this state; it lives until the program ends.
  auto state = std::make_unique<AppState>();
  Settings settings(registry);
  settings.OpenSettingsKey(kSettingsSubkey);
  MainWindow window(toolkit, settings, *state, platform, std::move(run), std::move(suggest));
  if (!window.Build()) return 1;
  return window.RunEventLoop();
}

}  // namespace tonvert
