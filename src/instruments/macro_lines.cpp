#include "instruments/macro_lines.h"

#include <algorithm>
#include <utility>

#include "common/text.h"

namespace tonvert {

namespace {

// The tracker numbers macros 0-127 within each type.
constexpr size_t kMacrosPerType = 128;
constexpr size_t kMaxMacroValues = 252;

// The kinds in the order an instrument's macros are emitted (arpeggio, duty,
// hi-pitch, pitch, volume), with the tracker type number of each.
constexpr std::array<int, kMacroTypeCount> kEmissionTypes{1, 4, 3, 2, 0};

template <class Def>
std::array<const std::string*, kMacroTypeCount> BodiesInEmissionOrder(const Def& def) {
  return {&def.arpeggio, &def.duty, &def.hiPitch, &def.pitch, &def.volume};
}

bool InTable(int32_t number) { return number >= 0 && number <= 127; }

// An optional sign and decimal digits, within [low, high].
bool ReadNumber(const std::string& token, int low, int high) {
  size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
    negative = token[i] == '-';
    ++i;
  }
  if (i == token.size()) return false;
  int64_t value = 0;
  for (; i < token.size(); ++i) {
    if (token[i] < '0' || token[i] > '9') return false;
    // Any value past this is out of every range; stop growing before overflow.
    if (value < 100000) value = value * 10 + (token[i] - '0');
  }
  if (negative) value = -value;
  return value >= low && value <= high;
}

std::vector<std::string> SplitAtBlanks(const std::string& text) {
  std::vector<std::string> tokens;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
    if (i > start) tokens.push_back(text.substr(start, i - start));
  }
  return tokens;
}

// One instrument, program or drum. Its "Undefined" warning comes first and its
// "Malformed" warning right after it, so a user reads both together.
template <class Def>
void EmitInstrument(InstrumentRun& run, int32_t number, const Def& def, const std::string& undefinedWarning,
                    const std::string& malformedWarning, std::vector<std::string>& warnings) {
  if (def.name.empty()) warnings.push_back(undefinedWarning);
  // The tracker's import stops for good at an INST2A03 line above 3F, losing
  // every pattern after it; leaving the instrument out keeps the song.
  if (number > kMaxTrackerInstrument) {
    run.instrumentsLeftOut = true;
    return;
  }
  EmittedInstrument instrument;
  instrument.number = number;
  instrument.name = def.name;
  bool malformed = false;
  const auto bodies = BodiesInEmissionOrder(def);
  for (size_t k = 0; k < bodies.size(); ++k) {
    const std::string& body = *bodies[k];
    if (body.empty()) continue;
    // Still written as read: the body is the user's; the warning says where
    // the tracker's import will stop.
    if (!IsWellFormedMacroBody(body)) malformed = true;
    const int type = kEmissionTypes[k];
    instrument.macros[static_cast<size_t>(type)] = static_cast<int32_t>(run.macros.size());
    run.macros.push_back(EmittedMacro{type, body});
  }
  if (malformed) warnings.push_back(malformedWarning);
  run.instruments.push_back(std::move(instrument));
}

}  // namespace

bool IsWellFormedMacroBody(const std::string& body) {
  const std::vector<std::string> tokens = SplitAtBlanks(body);
  if (tokens.size() < 5 || tokens.size() > 4 + kMaxMacroValues) return false;
  if (!ReadNumber(tokens[0], -1, 252) || !ReadNumber(tokens[1], -1, 252) || !ReadNumber(tokens[2], 0, 255))
    return false;
  if (tokens[3] != ":") return false;
  return std::all_of(tokens.begin() + 4, tokens.end(),
                     [](const std::string& t) { return ReadNumber(t, -128, 127); });
}

std::string EscapeInstrumentName(const std::string& name) {
  // The tracker ends a field at a tab even inside quotes, keeps at most 127
  // bytes of a name (one version crashes on longer ones), and reads "" as one
  // quote inside a quoted name.
  std::string cut = name.substr(0, 127);
  std::replace(cut.begin(), cut.end(), '\t', ' ');
  std::string out;
  out.reserve(cut.size() + 8);
  for (char c : cut) {
    out += c;
    if (c == '"') out += '"';
  }
  return out;
}

int32_t EmitProgramInstruments(InstrumentRun& run, const MidiState& midi, const InstrumentDefTable& defs,
                               std::vector<std::string>& warnings, FrontEnd& frontEnd) {
  run = InstrumentRun{};
  int32_t drumBase = 0;
  static const InstrumentDef kNoDefinition;
  for (size_t k = 0; k < midi.ProgramList.size(); ++k) {
    const int32_t program = midi.ProgramList[k];
    const auto position = static_cast<int32_t>(k);
    frontEnd.SetStatus("Program #" + DecimalForm(position));
    // A program number no table entry exists for is simply undefined.
    const InstrumentDef& def = InTable(program) ? defs[static_cast<size_t>(program)] : kNoDefinition;
    EmitInstrument(run, position, def, "Undefined instrument program #" + DecimalForm(program),
                   "Malformed macro in program #" + DecimalForm(program), warnings);
    drumBase = position;
  }
  return drumBase;
}

void CollectDrumKeys(MidiState& midi, FrontEnd& frontEnd) {
  frontEnd.SetStatus("Notes");
  for (const NoteEvent& event : midi.NoteTable) {
    if (event.channel != 9 || event.length == 0) continue;
    if (std::find(midi.DrumKeyList.begin(), midi.DrumKeyList.end(), event.note) == midi.DrumKeyList.end())
      midi.DrumKeyList.push_back(event.note);
  }
}

void EmitDrumInstruments(InstrumentRun& run, const MidiState& midi, const DrumDefTable& drums,
                         std::vector<std::string>& warnings, FrontEnd& frontEnd) {
  for (const int32_t note : midi.DrumKeyList) {
    frontEnd.SetStatus("Drums");
    if (!InTable(note)) continue;
    const DrumDef& def = drums[static_cast<size_t>(note)];
    if (def.instrument < 1) continue;
    EmitInstrument(run, def.instrument, def, "Undefined drum program #" + DecimalForm(note),
                   "Malformed macro in drum #" + DecimalForm(note), warnings);
  }
}

JoinedLines JoinLines(const InstrumentRun& run, FrontEnd& frontEnd) {
  frontEnd.SetStatus("Macros and instruments");

  // One number shared by all types reads best while it fits the tracker's
  // 0-127. Past that the tracker would stop its import, but it counts each
  // type on its own, so numbering per type fits 128 macros of every type.
  const bool perType = run.macros.size() > kMacrosPerType;
  std::vector<int32_t> numbers(run.macros.size());
  std::array<int32_t, kMacroTypeCount> nextOfType{};
  for (size_t i = 0; i < run.macros.size(); ++i)
    numbers[i] = perType ? nextOfType[static_cast<size_t>(run.macros[i].type)]++ : static_cast<int32_t>(i);

  JoinedLines joined;
  for (size_t i = 0; i < run.macros.size(); ++i) {
    const EmittedMacro& macro = run.macros[i];
    joined.macroText += "MACRO\t" + DecimalForm(macro.type) + "\t" + DecimalForm(numbers[i]) + "\t" +
                        macro.body + "\r\n";
  }
  for (const EmittedInstrument& instrument : run.instruments) {
    joined.instrumentText += "INST2A03\t" + DecimalForm(instrument.number);
    for (const int32_t index : instrument.macros)
      joined.instrumentText += "\t" + (index < 0 ? std::string("-1") : DecimalForm(numbers[static_cast<size_t>(index)]));
    joined.instrumentText += "\t\"" + EscapeInstrumentName(instrument.name) + "\"\r\n";
  }
  return joined;
}

bool InstrumentsLeftOut(const InstrumentRun& run) { return run.instrumentsLeftOut; }

}  // namespace tonvert
