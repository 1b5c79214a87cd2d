// The two definition files, "instruments.ini" and "drums.ini", parsed into
// tables. Nothing here numbers instruments: that is the instrument set's job.
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
  std::string name;      // name
  std::string key;       // key: the noise pitch text written into the drum's cells
  std::string volume;    // m_volume
  std::string arpeggio;  // m_arpeggio
  std::string pitch;     // m_pitch
  std::string hiPitch;   // m_hipitch
  std::string duty;      // m_duty
  int32_t priority = 0;  // priority: of two drums in one Noise cell, the higher keeps it
};

using InstrumentDefTable = std::array<InstrumentDef, 128>;  // by program number

struct DrumDefs {
  std::array<DrumDef, 128> byKey;  // by MIDI note number
  // The key of every group in file order, a key given twice listed twice: the
  // drums are numbered in this order.
  std::vector<int32_t> groupKeys;
};

// Groups whose number lies outside 0-127 are skipped whole; a later group for
// the same number replaces every field of an earlier one. A missing file gives
// empty tables, silently.
InstrumentDefTable ReadInstrumentDefinitions(const std::string& path);
DrumDefs ReadDrumDefinitions(const std::string& path);

}  // namespace tonvert
