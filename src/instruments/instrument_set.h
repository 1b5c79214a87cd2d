// The tracker instruments of one song: which instrument each program and each
// drum key plays, the macros and instruments in the order they are written, and
// the warnings about them. Placement and the document only ask this set.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "instruments/definitions.h"
#include "midi/song.h"

namespace tonvert {

// The tracker holds instruments 00-3F only.
constexpr int kMaxTrackerInstrument = 63;
constexpr int32_t kNoInstrument = -1;  // a cell that names no instrument ("..")

// Macro types, numbered as the tracker numbers them: 0 volume, 1 arpeggio,
// 2 pitch, 3 hi-pitch, 4 duty. The INST2A03 columns follow these numbers.
constexpr int kMacroTypeCount = 5;

struct Macro {
  int type = 0;        // 0-4
  int32_t number = 0;  // as the tracker will number it
  std::string body;    // as read from the INI file
};

struct TrackerInstrument {
  int32_t number = 0;  // 0-63
  // Per type: index into InstrumentSet::macros, or -1 for none.
  std::array<int32_t, kMacroTypeCount> macros{-1, -1, -1, -1, -1};
  std::string name;  // as read
};

// How a drum key of MIDI channel 10 sounds in this song.
struct DrumSound {
  int32_t instrument = 0;  // the tracker instrument; below 1 means the drum is not played
  std::string keyText;     // the note text of its cells on Noise, as drums.ini gives it
  int32_t priority = 0;    // as drums.ini gives it
};

struct InstrumentSet {
  std::vector<int32_t> programs;  // the song's programs, first use first
  std::vector<int32_t> drumKeys;  // the song's drum keys, first use first
  std::array<int32_t, 128> programInstrument;  // by program: the cells' instrument or kNoInstrument
  std::array<DrumSound, 128> drums;            // by drum key
  std::array<uint8_t, 128> dutyEffect{};       // by program: the V effect's value 0-99
  std::vector<Macro> macros;                   // in the order they are written
  std::vector<TrackerInstrument> instruments;  // programs, then drums
  bool instrumentsLeftOut = false;             // some instrument above 3F was dropped
  std::vector<std::string> warnings;           // undefined and malformed definitions
};

InstrumentSet BuildInstrumentSet(const Song& song, const InstrumentDefTable& instrumentDefs,
                                 const DrumDefs& drumDefs);

// A body the tracker's import reads: loop release setting ":" then 1-252 values.
bool IsWellFormedMacroBody(const std::string& body);

}  // namespace tonvert
