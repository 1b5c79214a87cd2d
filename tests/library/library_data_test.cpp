// The library files hold every program and drum key once, named, with macro
// bodies inside the ranges of the tracker's editors.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <sstream>

#include "common/text.h"
#include "instruments/ini_file.h"
#include "support/temp_dir.h"

namespace tonvert {
namespace {

const std::string kLibrary = std::string(TONVERT_SOURCE_DIR) + "/library/";

struct Macro { int loop = 0, release = 0, setting = 0; std::vector<int> values; };

// "loop release setting : values", or false when the text is not such a body.
bool ParseMacro(const std::string& body, Macro& m) {
  std::istringstream in(body);
  std::string colon;
  if (!(in >> m.loop >> m.release >> m.setting >> colon) || colon != ":") return false;
  m.values.clear();
  for (int v; in >> v;) m.values.push_back(v);
  return in.eof() && !m.values.empty();
}

// Value ranges of the 2A03 instrument editor (the importer itself takes
// -128..127); pitch values are steps that add up.
struct Kind {
  const char* key;
  int low, high;
  bool stepsAddUp;
};
const std::vector<Kind> kProgramKinds = {
    {"FTMacroVolume", 0, 15, false}, {"FTMacroArpeggio", -128, 127, false}, {"FTMacroPitch", -128, 127, true},
    {"FTMacroHiPitch", -128, 127, true}, {"FTMacroDuty", 0, 3, false}};
const std::vector<Kind> kDrumKinds = {  // on noise, the duty is the noise mode
    {"m_volume", 0, 15, false}, {"m_arpeggio", -128, 127, false}, {"m_pitch", -128, 127, true},
    {"m_hipitch", -128, 127, true}, {"m_duty", 0, 1, false}};

// Every fault of the group's macro bodies, each prefixed with where it stands.
// Lengths and points past the end are the checker's (library_conversion_test).
std::string BodyFaults(const std::string& where, const IniGroup& group, const std::vector<Kind>& kinds) {
  std::string faults;
  for (const Kind& kind : kinds) {
    const std::string at = where + " " + kind.key, body = group.Value(kind.key);
    Macro m;
    if (body.empty()) continue;
    if (!ParseMacro(body, m)) {
      faults += at + ": not a macro body\n";
      continue;
    }
    if (m.loop >= 0 && m.release >= 0 && m.loop >= m.release) faults += at + ": loop not before release\n";
    // Only setting 0 means the same in every tracker version.
    if (m.setting != 0) faults += at + ": setting other than 0\n";
    for (int v : m.values)
      if (v < kind.low || v > kind.high) faults += at + ": value " + std::to_string(v) + " out of range\n";
    // A pitch loop that does not sum to 0 drifts further off the note at every turn.
    if (kind.stepsAddUp && m.loop >= 0 && m.loop < static_cast<int>(m.values.size()) &&
        std::accumulate(m.values.begin() + m.loop, m.values.end(), 0) != 0)
      faults += at + ": pitch loop does not return to the note\n";
  }
  return faults;
}

// The group numbers as the readers take them are first..last, each once.
void ExpectEachNumberOnce(const std::vector<IniGroup>& groups, int first, int last) {
  std::vector<int32_t> numbers, expected(last - first + 1);
  for (const IniGroup& g : groups) numbers.push_back(TextToNumber(g.name));
  std::sort(numbers.begin(), numbers.end());
  std::iota(expected.begin(), expected.end(), first);
  EXPECT_EQ(numbers, expected);
}

TEST(LibraryData, InstrumentsDefineEveryProgramOnceWithSoundMacros) {
  const auto groups = ReadIniFile(kLibrary + "instruments.ini");
  ExpectEachNumberOnce(groups, 0, 127);
  std::string faults;
  for (const IniGroup& g : groups) {
    const std::string where = "program " + g.name;
    if (g.Value("MidiInstrument").empty()) faults += where + ": no name\n";
    faults += BodyFaults(where, g, kProgramKinds);
    // The V effect starts each pulse note with this duty; a duty macro then
    // takes over, so both must agree on where the note starts.
    const std::string var = g.Value("FTInstrumentVar");
    if (var.size() != 1 || var[0] < '0' || var[0] > '3') faults += where + ": FTInstrumentVar not a duty 0-3\n";
    Macro duty;
    if (ParseMacro(g.Value("FTMacroDuty"), duty) && var != std::to_string(duty.values[0]))
      faults += where + ": FTInstrumentVar differs from the first duty value\n";
  }
  EXPECT_EQ(faults, "");
}

TEST(LibraryData, DrumsDefineKeys27To87OnceAsOneShotNoiseSounds) {
  const auto groups = ReadIniFile(kLibrary + "drums.ini");
  ExpectEachNumberOnce(groups, 27, 87);
  std::string faults;
  for (const IniGroup& g : groups) {
    const std::string where = "drum " + g.name, key = g.Value("key");
    if (g.Value("name").empty()) faults += where + ": no name\n";
    faults += BodyFaults(where, g, kDrumKinds);
    // A noise cell is a hex pitch 0-F followed by "-#".
    const size_t pitch = std::string("0123456789ABCDEF").find(key.substr(0, 1));
    if (key.size() != 3 || key.substr(1) != "-#" || pitch > 15) faults += where + ": key is not a noise pitch\n";
    // Drum notes are often shorter than the sound: the envelope ends it.
    Macro m;
    if (!ParseMacro(g.Value("m_volume"), m) || m.loop != -1 || m.values.back() != 0)
      faults += where + ": volume does not end at 0 on its own\n";
    // The arpeggio moves the noise pitch; past 0-F it leaves the noise range.
    if (ParseMacro(g.Value("m_arpeggio"), m) && key.size() == 3 && pitch <= 15)
      for (int v : m.values)
        if (int(pitch) + v < 0 || int(pitch) + v > 15) faults += where + ": arpeggio leaves the noise pitches\n";
  }
  EXPECT_EQ(faults, "");
}

TEST(LibraryData, ExampleDefinitionsAreTheLibrary) {
  for (const char* name : {"instruments.ini", "drums.ini"})
    EXPECT_EQ(test::ReadFile(std::string(TONVERT_SOURCE_DIR) + "/examples/" + name), test::ReadFile(kLibrary + name));
}

}  // namespace
}  // namespace tonvert
