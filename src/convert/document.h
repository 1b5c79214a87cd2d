// The FamiTracker text export, every line of it: the fixed template, the MACRO
// and INST2A03 lines, the frame list and the patterns.
#pragma once

#include <cstdint>
#include <string>

#include "common/progress.h"
#include "convert/placement.h"
#include "instruments/instrument_set.h"

namespace tonvert {

// Shown in the COPYRIGHT line and the window's title.
extern const char* const kMakerAddress;

struct TrackTiming {
  int speed;
  int tempo;
};
// The tracker plays tempo / (2.5 x speed) rows per second; a row is a sixteenth,
// so speed 6 with tempo = BPM plays the song at its own tempo. Tempos outside
// 32-255 are reached with another speed.
TrackTiming TrackTimingFor(int32_t songBpm);

// Reports "Frame #f" for each frame, then "Drums" for each drum key of the set
// and "Macros and instruments", the stages of the document's making.
std::string WriteDocument(const InstrumentSet& instruments, const PatternGrid& grid, TrackTiming timing,
                          Progress& progress);

// The name as it can stand between the quotes of an INST2A03 line.
std::string EscapeInstrumentName(const std::string& name);

}  // namespace tonvert
