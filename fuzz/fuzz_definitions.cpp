// The INI reader and both definition readers on arbitrary bytes, then the macro
// and instrument lines made from what they read: whatever a user typed, the
// lines written into the document stay single lines in the tracker's ranges.
#include <algorithm>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "instruments/definitions.h"
#include "instruments/ini_file.h"
#include "convert/document.h"
#include "instruments/instrument_set.h"

namespace tonvert::fuzz {
namespace {

bool HasLineEnd(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

void CheckGroups(const std::vector<IniGroup>& groups) {
  for (const IniGroup& g : groups) {
    if (HasLineEnd(g.name) || g.name.find(']') != std::string::npos) Fail("group name holds a line end or ]");
    for (const auto& [key, value] : g.entries) {
      if (HasLineEnd(key) || HasLineEnd(value)) Fail("key line holds a line end");
      if (!key.empty() && (key.front() == ' ' || key.front() == '\t' || key.front() == ';' || key.front() == '['))
        Fail("key starts with a blank, ';' or '['");
      if (!key.empty() && (key.back() == ' ' || key.back() == '\t')) Fail("key ends with a blank");
      if (!value.empty() && (value.front() == ' ' || value.front() == '\t' || value.back() == ' ' ||
                             value.back() == '\t'))
        Fail("value not trimmed");
      if (key.find('=') != std::string::npos) Fail("key holds '='");
    }
  }
}

// Every line ends with CR LF and holds no other line end.
void CheckLines(const std::string& text, const char* what) {
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) Fail(std::string(what) + ": last line without CR LF");
    if (HasLineEnd(std::string_view(text).substr(start, end - start))) Fail(std::string(what) + ": stray line end");
    start = end + 2;
  }
}

// Macro numbers 0-127 and unique within their type; instruments 0-63.
struct JoinedLines {
  std::string macroText, instrumentText;
};

std::string Between(const std::string& text, const std::string& from, const std::string& to) {
  const size_t start = text.find(from) + from.size();
  return text.substr(start, text.find(to, start) - start);
}

void CheckJoined(const JoinedLines& joined) {
  CheckLines(joined.macroText, "macros");
  CheckLines(joined.instrumentText, "instruments");
  std::vector<std::vector<bool>> seen(kMacroTypeCount, std::vector<bool>(128));
  size_t start = 0;
  while (start < joined.macroText.size()) {
    const size_t end = joined.macroText.find("\r\n", start);
    const std::string line = joined.macroText.substr(start, end - start);
    start = end + 2;
    int type = -1, number = -1;
    if (std::sscanf(line.c_str(), "MACRO\t%d\t%d\t", &type, &number) != 2) Fail("malformed MACRO line");
    if (type < 0 || type >= kMacroTypeCount || number < 0 || number > 127) Fail("MACRO out of range: " + line);
    if (seen[static_cast<size_t>(type)][static_cast<size_t>(number)]) Fail("MACRO twice: " + line);
    seen[static_cast<size_t>(type)][static_cast<size_t>(number)] = true;
  }
  start = 0;
  while (start < joined.instrumentText.size()) {
    const size_t end = joined.instrumentText.find("\r\n", start);
    const std::string line = joined.instrumentText.substr(start, end - start);
    start = end + 2;
    int number = -1;
    if (std::sscanf(line.c_str(), "INST2A03\t%d\t", &number) != 1 || number < 0 || number > 63)
      Fail("INST2A03 out of range: " + line);
    if (std::count(line.begin(), line.end(), '\t') != 7) Fail("INST2A03 with a tab in its name: " + line);
  }
}

}  // namespace
}  // namespace tonvert::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tonvert;
  using namespace tonvert::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckGroups(ParseIni(bytes));

  // Both definition files read the same bytes from a file, as a run reads them.
  const std::string path = WriteScratchFile("definitions.ini", data, size);

  // A song that uses every few programs and the General MIDI drum keys; the drum
  // numbering starts after the programs, as in a run.
  Song song;
  for (int32_t p = 0; p < 128; p += 1 + static_cast<int32_t>(size % 5)) song.programs.push_back(p);
  const int32_t drumBase = static_cast<int32_t>(song.programs.size()) - 1;
  for (int32_t key = 27; key <= 87; ++key) song.notes.push_back(Note{0, 1, 1, key, 100, kDrumChannel});
  const InstrumentSet set = BuildInstrumentSet(song, ReadInstrumentDefinitions(path), ReadDrumDefinitions(path));

  for (int32_t key = 0; key < 128; ++key) {
    const int32_t number = set.drums[static_cast<size_t>(key)].instrument;
    const bool used = key >= 27 && key <= 87;
    if (number != 0 && (!used || number <= drumBase)) Fail("drum numbered outside the song's range");
  }

  RecordingFrontEnd ui;
  const std::string doc = WriteDocument(set, PatternGrid(0, 1), TrackTimingFor(120), ui);
  CheckJoined({Between(doc, "# Macros\r\n", "\r\n\r\n# DPCM"), Between(doc, "\r\n# Instruments\r\n", "\r\n\r\n# Tracks")});
  for (const std::string& w : set.warnings)
    if (HasLineEnd(w)) Fail("warning with a line end");
  return 0;
}
