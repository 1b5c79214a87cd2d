// The window program from start to end, for any toolkit: the process-wide
// state, the settings key, the window build and the event loop.
#pragma once

#include "settings/settings.h"
#include "shell/main_window.h"
#include "shell/shell_platform.h"
#include "shell/toolkit.h"

namespace tonvert {

constexpr const char* kSettingsSubkey = "FARROW_TONVERT";

// Returns the process's exit code: 0 after the close sequence, 1 when the
// window cannot be opened.
int RunApplication(Toolkit& toolkit, Registry& registry, const ShellPlatform& platform,
                   RunFunction run = RunConversion, MappingSuggestion suggest = {});

}  // namespace tonvert
