// The two definition tables read from "instruments.ini" and "drums.ini".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

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

// Both readers start from an empty table, so a group removed from a file since
// the last run no longer counts. Groups whose number lies outside 0-127 are
// skipped whole. A missing file leaves the table empty, silently.
void ReadInstrumentDefinitions(const std::string& path, InstrumentDefTable& table);

// Every group whose note is in drumKeyList gets drumBase + 1, + 2, ... in the
// order of the groups in the file; the other groups get 0.
void ReadDrumDefinitions(const std::string& path, int32_t drumBase,
                         const std::vector<int32_t>& drumKeyList, DrumDefTable& table);

}  // namespace tonvert
