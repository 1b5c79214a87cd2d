#include "convert/conversion.h"

namespace tonvert {

RunOutcome RunConversion(AppState&, FrontEnd&, const RunOptions&) {
  return RunOutcome::Stopped;  // built by the conversion work
}

}  // namespace tonvert
