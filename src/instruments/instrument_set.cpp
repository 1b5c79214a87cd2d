#include "instruments/instrument_set.h"

#include <algorithm>

#include "common/text.h"

namespace tonvert {

namespace {

// The tracker numbers macros 0-127 within each type.
constexpr size_t kMacrosPerType = 128;
constexpr size_t kMaxMacroValues = 252;

// An instrument's macros are written arpeggio, duty, hi-pitch, pitch, volume:
// the order the tracker's own export lists them in, so documents diff cleanly.
constexpr std::array<int, kMacroTypeCount> kEmissionTypes{1, 4, 3, 2, 0};

template <class Def>
std::array<const std::string*, kMacroTypeCount> BodiesInEmissionOrder(const Def& def) {
  return {&def.arpeggio, &def.duty, &def.hiPitch, &def.pitch, &def.volume};
}

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
    while (i < text.size() && IsBlank(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) tokens.push_back(text.substr(start, i - start));
  }
  return tokens;
}

// One instrument, program or drum. Its "Undefined" warning comes first and its
// "Malformed" warning right after it, so a user reads both together.
template <class Def>
void AddInstrument(InstrumentSet& set, int32_t number, const Def& def, const std::string& undefinedWarning,
                   const std::string& malformedWarning) {
  if (def.name.empty()) set.warnings.push_back(undefinedWarning);
  // The tracker's import stops for good at an INST2A03 line above 3F, losing
  // every pattern after it; leaving the instrument out keeps the song.
  if (number > kMaxTrackerInstrument) {
    set.instrumentsLeftOut = true;
    return;
  }
  TrackerInstrument instrument;
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
    instrument.macros[static_cast<size_t>(type)] = static_cast<int32_t>(set.macros.size());
    set.macros.push_back(Macro{type, 0, body});
  }
  if (malformed) set.warnings.push_back(malformedWarning);
  set.instruments.push_back(std::move(instrument));
}

// One number shared by all types reads best while it fits the tracker's 0-127.
// Past that the tracker would stop its import, but it counts each type on its
// own, so numbering per type fits 128 macros of every type.
void NumberMacros(std::vector<Macro>& macros) {
  const bool perType = macros.size() > kMacrosPerType;
  std::array<int32_t, kMacroTypeCount> nextOfType{};
  for (size_t i = 0; i < macros.size(); ++i)
    macros[i].number = perType ? nextOfType[static_cast<size_t>(macros[i].type)]++ : static_cast<int32_t>(i);
}

// The "V" parameter: the FTInstrumentVar text padded or cut to two characters,
// read as a number. A negative value has no meaning to the tracker and would
// break the import, so it becomes 0.
uint8_t DutyEffect(const std::string& text) {
  std::string two = text;
  if (two.size() < 2) two.insert(0, 2 - two.size(), '0');
  const int32_t value = TextToNumber(two.substr(0, 2));
  return static_cast<uint8_t>(value < 0 ? 0 : value);  // two characters: at most 99
}

std::vector<int32_t> DrumKeysOf(const Song& song) {
  std::vector<int32_t> keys;
  for (const Note& note : song.notes) {
    if (note.channel != kDrumChannel || note.length == 0) continue;
    if (std::find(keys.begin(), keys.end(), note.key) == keys.end()) keys.push_back(note.key);
  }
  return keys;
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

InstrumentSet BuildInstrumentSet(const Song& song, const InstrumentDefTable& instrumentDefs,
                                 const DrumDefs& drumDefs) {
  InstrumentSet set;
  set.programs = song.programs;
  set.drumKeys = DrumKeysOf(song);
  set.programInstrument.fill(kNoInstrument);
  for (size_t p = 0; p < set.dutyEffect.size(); ++p) set.dutyEffect[p] = DutyEffect(instrumentDefs[p].effectValue);

  // Programs take the instruments from 00 on, in the order the song uses them.
  for (size_t k = 0; k < set.programs.size(); ++k) {
    const int32_t program = set.programs[k];
    const auto number = static_cast<int32_t>(k);
    if (number <= kMaxTrackerInstrument) set.programInstrument[static_cast<size_t>(program)] = number;
    AddInstrument(set, number, instrumentDefs[static_cast<size_t>(program)],
                  "Undefined instrument program #" + DecimalForm(program),
                  "Malformed macro in program #" + DecimalForm(program));
  }

  // Only drums the song plays take a number, so the song's instruments stay
  // contiguous however many drums the file defines. They count on from the
  // last program's number in the order of the groups in drums.ini.
  const int64_t drumBase = set.programs.empty() ? 0 : static_cast<int64_t>(set.programs.size()) - 1;
  int64_t counter = 1;
  for (const int32_t key : drumDefs.groupKeys) {
    if (std::find(set.drumKeys.begin(), set.drumKeys.end(), key) == set.drumKeys.end()) continue;
    DrumSound& drum = set.drums[static_cast<size_t>(key)];
    // Saturating: a file with absurdly many repeated groups must not wrap
    // around into small, valid-looking numbers.
    drum.instrument = static_cast<int32_t>(std::min<int64_t>(drumBase + counter, INT32_MAX));
    drum.keyText = drumDefs.byKey[static_cast<size_t>(key)].key;
    drum.priority = drumDefs.byKey[static_cast<size_t>(key)].priority;
    ++counter;
  }
  for (const int32_t key : set.drumKeys) {
    const DrumSound& drum = set.drums[static_cast<size_t>(key)];
    // No group in drums.ini: its notes are not placed, so say so.
    if (drum.instrument < 1) {
      set.warnings.push_back("Undefined drum program #" + DecimalForm(key));
      continue;
    }
    AddInstrument(set, drum.instrument, drumDefs.byKey[static_cast<size_t>(key)],
                  "Undefined drum program #" + DecimalForm(key), "Malformed macro in drum #" + DecimalForm(key));
  }
  NumberMacros(set.macros);
  return set;
}

}  // namespace tonvert
