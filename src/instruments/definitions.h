// The two definition tables read from "instruments.ini" and "drums.ini".
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tonvert {

// One MIDI program's tracker instrument. Bodies are carried as text and written
// out unchanged; an empty name means the program is undefined.
struct InstrumentDef {
  std::string name;         // MidiInstrument
  std::string effectValue;  // FTInstrumentVar
  std::string volume;       // FTMacroVolume
  std::string arpeggio;     // FTMacroArpeggio
  std::string pitch;        // FTMacroPitch
  std::string hiPitch;      // FTMacroHiPitch
  std::string duty;         // FTMacroDuty
};

// One drum key of MIDI channel 10.
struct DrumDef {
  std::string name;  // name
  std::string key;   // key: note text written unchanged into the drum's cells
  int32_t instrument = 0;  // tracker instrument of this run; below 1 means none
  std::string volume;      // m_volume
  std::string arpeggio;    // m_arpeggio
  std::string pitch;       // m_pitch
  std::string hiPitch;     // m_hipitch
  std::string duty;        // m_duty
};

using InstrumentDefTable = std::array<InstrumentDef, 128>;  // by program number
using DrumDefTable = std::array<DrumDef, 128>;              // by note number

}  // namespace tonvert
