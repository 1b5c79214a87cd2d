// The FamiTracker text export: a fixed template filled with the macros, the
// instruments, the frame list and the patterns.
#pragma once

#include <cstdint>
#include <string>

#include "common/front_end.h"
#include "convert/placement.h"
#include "instruments/definitions.h"

namespace tonvert {

// Shown in the COPYRIGHT line and the window's title.
extern const char* const kMakerAddress;

struct PatternText {
  std::string OrderText;
  std::string PatternText;
};

// One ORDER line and one PATTERN block per frame; "Frame #f" for each.
PatternText BuildPatternText(const PatternGrid& grid, const DrumDefTable& drums, FrontEnd& frontEnd);

struct TrackTiming {
  int speed;
  int tempo;
};
// The tracker plays tempo / (2.5 x speed) rows per second; a row is a sixteenth,
// so speed 6 with tempo = BPM plays the song at its own tempo. Tempos outside
// 32-255 are reached with another speed.
TrackTiming TrackTimingFor(int32_t songBpm);

std::string FillTemplate(const std::string& macroText, const std::string& instrumentText,
                         const PatternText& patterns, int32_t rowsPerPattern, int32_t songBpm);

}  // namespace tonvert
