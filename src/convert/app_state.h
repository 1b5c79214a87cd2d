// Process-wide state: created once by the front end, passed by reference to
// every run, never global.
#pragma once

#include <cstdint>

#include "instruments/definitions.h"
#include "midi/note_table.h"

namespace tonvert {

struct AppState {
  MidiState midi;
  InstrumentDefTable InstrumentDefs{};
  DrumDefTable DrumDefs{};
  int32_t RowsPerPattern = 64;
  int32_t TicksPerRow = 36;
};

}  // namespace tonvert
