// What the checker cannot see of the library files: each program and drum key
// defined once, V effects agreeing with the duty macros, drums that end by
// themselves and stay on the noise pitches, pitch loops that come back. Whole
// conversions with the library are cases of tests/convert.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <sstream>

#include "common/text.h"
#include "instruments/ini_file.h"
#include "support/temp_dir.h"

namespace tonvert {
namespace {

const std::string kSource = std::string(TONVERT_SOURCE_DIR) + "/";

// "loop release setting : values", or no values when the text is not one.
std::vector<int> Values(const std::string& body, int& loop) {
  std::istringstream in(body);
  int release = 0, setting = 0;
  std::string colon;
  std::vector<int> values;
  if (!(in >> loop >> release >> setting >> colon) || colon != ":") return values;
  for (int v; in >> v;) values.push_back(v);
  return values;
}

std::string Faults(const std::string& file, const std::string& prefix, int first, int last) {
  std::string faults;
  std::vector<int32_t> numbers;
  for (const IniGroup& g : ReadIniFile(kSource + "library/" + file)) {
    const std::string at = file + " [" + g.name + "]: ";
    numbers.push_back(TextToNumber(g.name));
    int loop = -1, dutyLoop = -1;
    for (const char* kind : {"Pitch", "HiPitch"}) {  // read without regard to case
      const std::vector<int> steps = Values(g.Value(prefix + kind), loop);
      if (loop >= 0 && loop < static_cast<int>(steps.size()) && std::accumulate(steps.begin() + loop, steps.end(), 0))
        faults += at + "pitch loop does not return to the note\n";
    }
    const std::vector<int> duty = Values(g.Value(prefix + (prefix == "m_" ? "duty" : "Duty")), dutyLoop);
    if (prefix == "m_") {
      const std::string key = g.Value("key");
      const size_t pitch = std::string("0123456789ABCDEF").find(key.substr(0, 1));
      const std::vector<int> volume = Values(g.Value("m_volume"), loop);
      if (volume.empty() || loop != -1 || volume.back() != 0) faults += at + "volume does not end at 0\n";
      for (int step : Values(g.Value("m_arpeggio"), loop))
        if (pitch > 15 || static_cast<int>(pitch) + step < 0 || static_cast<int>(pitch) + step > 15)
          faults += at + "arpeggio leaves the noise pitches\n";
      if (std::any_of(duty.begin(), duty.end(), [](int d) { return d > 1; })) faults += at + "noise mode past 1\n";
    } else if (!duty.empty() && g.Value("FTInstrumentVar") != std::to_string(duty[0])) {
      faults += at + "FTInstrumentVar differs from the first duty value\n";
    }
  }
  std::vector<int32_t> expected(static_cast<size_t>(last - first + 1));
  std::iota(expected.begin(), expected.end(), first);
  std::sort(numbers.begin(), numbers.end());
  if (numbers != expected) faults += file + ": not each number once\n";
  return faults;
}

TEST(LibraryData, HoldsWhatTheCheckerCannotSee) {
  EXPECT_EQ(Faults("instruments.ini", "FTMacro", 0, 127), "");
  EXPECT_EQ(Faults("drums.ini", "m_", 27, 87), "");
  for (const char* name : {"instruments.ini", "drums.ini"})
    EXPECT_EQ(test::ReadFile(kSource + "examples/" + name), test::ReadFile(kSource + "library/" + name)) << name;
}

}  // namespace
}  // namespace tonvert
