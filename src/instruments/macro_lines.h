// The tracker instruments of one conversion: a MACRO line per non-empty macro
// body and an INST2A03 line per program and per used, defined drum.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/front_end.h"
#include "instruments/definitions.h"
#include "midi/note_table.h"

namespace tonvert {

// The tracker holds instruments 00-3F only.
constexpr int kMaxTrackerInstrument = 63;

// Macro types, numbered as the tracker numbers them: 0 volume, 1 arpeggio,
// 2 pitch, 3 hi-pitch, 4 duty. The INST2A03 columns follow these numbers.
constexpr int kMacroTypeCount = 5;

struct EmittedMacro {
  int type = 0;  // 0-4
  std::string body;  // as read from the INI file
};

struct EmittedInstrument {
  int32_t number = 0;
  // Per type (volume, arpeggio, pitch, hi-pitch, duty): index into
  // InstrumentRun::macros, or -1 for none.
  std::array<int32_t, kMacroTypeCount> macros{-1, -1, -1, -1, -1};
  std::string name;  // as read; escaped when the line is written
};

// What one run has emitted so far. Macro numbers are only fixed when the lines
// are joined, because drum macros arrive after the notes have been placed.
struct InstrumentRun {
  std::vector<EmittedMacro> macros;            // emission order
  std::vector<EmittedInstrument> instruments;  // programs, then drums
  bool instrumentsLeftOut = false;             // some instrument above 63 was dropped
};

// "Program #k" per program; returns drumBase (the last position, 0 when the
// list is empty). Starts the run afresh.
int32_t EmitProgramInstruments(InstrumentRun& run, const MidiState& midi, const InstrumentDefTable& defs,
                               std::vector<std::string>& warnings, FrontEnd& frontEnd);

// "Notes"; appends the distinct notes of non-empty channel-9 records to the
// DrumKeyList in table order, keeping what the list already holds.
void CollectDrumKeys(MidiState& midi, FrontEnd& frontEnd);

// "Drums" once per DrumKeyList entry; drums without a number are skipped.
void EmitDrumInstruments(InstrumentRun& run, const MidiState& midi, const DrumDefTable& drums,
                         std::vector<std::string>& warnings, FrontEnd& frontEnd);

struct JoinedLines {
  std::string macroText;
  std::string instrumentText;
};

// "Macros and instruments"; every line followed by "\r\n".
JoinedLines JoinLines(const InstrumentRun& run, FrontEnd& frontEnd);

bool InstrumentsLeftOut(const InstrumentRun& run);

// A body the tracker's import reads: loop release setting ":" then 1-252 values.
bool IsWellFormedMacroBody(const std::string& body);

// The name as it can stand between the quotes of an INST2A03 line.
std::string EscapeInstrumentName(const std::string& name);

}  // namespace tonvert
