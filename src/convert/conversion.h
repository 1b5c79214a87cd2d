// One conversion run: the MIDI file named in the window in, one FamiTracker text
// export out, reported stage by stage through the front end.
#pragma once

#include <string>

#include "common/front_end.h"
#include "convert/app_state.h"

namespace tonvert {

struct RunOptions {
  // The definition files; the window passes the bare names (current folder).
  std::string instrumentsPath = "instruments.ini";
  std::string drumsPath = "drums.ini";
  // The command line's "-o -": the document goes to standard output.
  bool dashWritesStdout = false;
};

enum class RunOutcome {
  Written,   // the document was written, the path put on the clipboard
  Canceled,  // empty output path: "Canceled." was shown, nothing written
  Stopped,   // a message stopped the run; nothing written
};

RunOutcome RunConversion(AppState& state, FrontEnd& frontEnd, const RunOptions& options = {});

}  // namespace tonvert
