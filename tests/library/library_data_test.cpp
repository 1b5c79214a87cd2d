// The library files hold what the tracker accepts and what the converter needs:
// every program and drum key once, named, and macro bodies inside the ranges
// the tracker's editors use.
#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <sstream>

#include "common/text.h"
#include "instruments/ini_file.h"
#include "support/temp_dir.h"

namespace tonvert {
namespace {

const std::string kLibrary = std::string(TONVERT_SOURCE_DIR) + "/library/";

struct Macro {
  int loop = 0, release = 0, setting = 0;
  std::vector<int> values;
};

// "loop release setting : values", or nothing when the text is not such a body.
bool ParseMacro(const std::string& body, Macro& m) {
  std::istringstream in(body);
  std::string colon;
  if (!(in >> m.loop >> m.release >> m.setting >> colon) || colon != ":") return false;
  m.values.clear();
  for (int v; in >> v;) m.values.push_back(v);
  return in.eof() && !m.values.empty();
}

struct Kind {
  const char* key;
  int low, high;
  bool stepsAddUp;  // pitch values move the note step by step
};
// Type ranges of the 2A03 instrument editor; the importer itself takes -128..127.
const Kind kProgramKinds[] = {{"FTMacroVolume", 0, 15, false},
                              {"FTMacroArpeggio", -128, 127, false},
                              {"FTMacroPitch", -128, 127, true},
                              {"FTMacroHiPitch", -128, 127, true},
                              {"FTMacroDuty", 0, 3, false}};
const Kind kDrumKinds[] = {{"m_volume", 0, 15, false},
                           {"m_arpeggio", -128, 127, false},
                           {"m_pitch", -128, 127, true},
                           {"m_hipitch", -128, 127, true},
                           {"m_duty", 0, 1, false}};  // on noise, the noise mode

// Every fault of one body, prefixed with where it stands; "" when it is sound.
std::string BodyFaults(const std::string& where, const Kind& kind, const std::string& body) {
  Macro m;
  if (!ParseMacro(body, m)) return where + ": not a macro body\n";
  std::string faults;
  const int count = static_cast<int>(m.values.size());
  if (count > 252) faults += where + ": more than 252 values\n";
  // The tracker drops a loop or release point past the end, and a loop not
  // before the release point.
  if (m.loop < -1 || m.loop >= count || m.release < -1 || m.release >= count)
    faults += where + ": loop or release outside the values\n";
  if (m.loop >= 0 && m.release >= 0 && m.loop >= m.release) faults += where + ": loop not before release\n";
  // Only setting 0 means the same in every tracker version (volume 1 is 64
  // steps in some, arpeggio 1 and 2 are fixed and relative notes).
  if (m.setting != 0) faults += where + ": setting other than 0\n";
  for (int v : m.values)
    if (v < kind.low || v > kind.high) faults += where + ": value " + std::to_string(v) + " out of range\n";
  // Pitch steps add up: a loop that does not sum to 0 drifts further off the
  // note at every turn.
  if (kind.stepsAddUp && m.loop >= 0 && m.loop < count &&
      std::accumulate(m.values.begin() + m.loop, m.values.end(), 0) != 0)
    faults += where + ": pitch loop does not return to the note\n";
  return faults;
}

// Group numbers as the readers take them, each with how often it occurs.
std::map<int32_t, int> GroupNumbers(const std::vector<IniGroup>& groups) {
  std::map<int32_t, int> numbers;
  for (const IniGroup& g : groups) ++numbers[TextToNumber(g.name)];
  return numbers;
}

// A name the tracker keeps whole in every version: printable ASCII without
// the double quote, under 128 bytes.
bool TrackerSafeName(const std::string& name) {
  if (name.empty() || name.size() >= 128) return false;
  for (char c : name)
    if (c < ' ' || c > '~' || c == '"') return false;
  return true;
}

TEST(LibraryData, InstrumentsDefineEveryProgramOnceWithSoundMacros) {
  const auto groups = ReadIniFile(kLibrary + "instruments.ini");
  const auto numbers = GroupNumbers(groups);
  ASSERT_EQ(numbers.size(), 128u);
  EXPECT_EQ(numbers.begin()->first, 0);
  EXPECT_EQ(numbers.rbegin()->first, 127);
  for (const auto& [number, count] : numbers) EXPECT_EQ(count, 1) << "program " << number << " repeated";

  std::string faults;
  for (const IniGroup& g : groups) {
    const std::string where = "program " + g.name;
    if (!TrackerSafeName(g.Value("MidiInstrument"))) faults += where + ": missing or unsafe name\n";
    for (const Kind& kind : kProgramKinds)
      if (!g.Value(kind.key).empty()) faults += BodyFaults(where + " " + kind.key, kind, g.Value(kind.key));
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

TEST(LibraryData, DrumsDefineKeys35To81OnceAsOneShotNoiseSounds) {
  const auto groups = ReadIniFile(kLibrary + "drums.ini");
  const auto numbers = GroupNumbers(groups);
  ASSERT_EQ(numbers.size(), 47u);
  EXPECT_EQ(numbers.begin()->first, 35);
  EXPECT_EQ(numbers.rbegin()->first, 81);
  for (const auto& [number, count] : numbers) EXPECT_EQ(count, 1) << "drum " << number << " repeated";

  std::string faults;
  for (const IniGroup& g : groups) {
    const std::string where = "drum " + g.name;
    if (!TrackerSafeName(g.Value("name"))) faults += where + ": missing or unsafe name\n";
    // A noise cell is a hex pitch 0-F followed by "-#".
    const std::string key = g.Value("key");
    const auto hex = std::string("0123456789ABCDEF").find(key.empty() ? 'x' : key[0]);
    if (key.size() != 3 || hex == std::string::npos || key.substr(1) != "-#")
      faults += where + ": key is not a noise pitch\n";
    for (const Kind& kind : kDrumKinds)
      if (!g.Value(kind.key).empty()) faults += BodyFaults(where + " " + kind.key, kind, g.Value(kind.key));
    Macro m;
    // Drum notes are often shorter than the sound; the envelope, not the
    // note-off, has to end it.
    if (!ParseMacro(g.Value("m_volume"), m) || m.loop != -1 || m.values.back() != 0)
      faults += where + ": volume does not end at 0 on its own\n";
    // The arpeggio moves the noise pitch; past 0-F it leaves the noise range.
    if (ParseMacro(g.Value("m_arpeggio"), m) && hex != std::string::npos)
      for (int v : m.values)
        if (static_cast<int>(hex) + v < 0 || static_cast<int>(hex) + v > 15)
          faults += where + ": arpeggio leaves the noise pitches\n";
  }
  EXPECT_EQ(faults, "");
}

TEST(LibraryData, ExampleDefinitionsAreTheLibrary) {
  // The README's run command converts the example with these copies.
  for (const char* name : {"instruments.ini", "drums.ini"})
    EXPECT_EQ(test::ReadFile(std::string(TONVERT_SOURCE_DIR) + "/examples/" + name), test::ReadFile(kLibrary + name))
        << name;
}

}  // namespace
}  // namespace tonvert
