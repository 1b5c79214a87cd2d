// The window program from start to end, for any toolkit: the process-wide
// state, the settings key, the window build and the event loop.
#pragma once

#include <string>
#include <vector>

#include "convert/mapping_suggestion.h"
#include "settings/settings.h"
#include "shell/main_window.h"
#include "shell/shell_platform.h"
#include "shell/toolkit.h"

namespace tonvert {

constexpr const char* kSettingsSubkey = "FARROW_TONVERT";

// The window's conversion: the definition files of the current folder, else
// the installed library's, without a word about which.
RunOutcome RunWithLibrary(FrontEnd& frontEnd, const RunOptions& options);

// Returns the process's exit code: 0 after the close sequence, 1 when the
// window cannot be opened. A file among `args` (the command line after the
// program's name) fills the MIDI file field. "Auto" runs `suggest`.
int RunApplication(Toolkit& toolkit, Registry& registry, const ShellPlatform& platform,
                   const std::vector<std::string>& args = {}, RunFunction run = RunWithLibrary,
                   MappingSuggestion suggest = SuggestMappingFor);

}  // namespace tonvert
