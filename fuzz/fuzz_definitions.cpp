// The INI reader and both definition readers on arbitrary bytes, then a document
// made from what they read: whatever a user typed, the tracker imports it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document_check.h"
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

}  // namespace
}  // namespace tonvert::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tonvert;
  using namespace tonvert::fuzz;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckGroups(ParseIni(bytes));

  // Both definition files read the same bytes from a file, as a run reads them.
  // Names and macros are carried as typed, so the control bytes nobody types
  // (which the tracker's import would trip on) become blanks there.
  std::string text(bytes);
  std::replace_if(text.begin(), text.end(), [](char c) { return (c == 0x7F || (c >= 0 && c < 0x20)) && c != '\t' && c != '\r' && c != '\n'; }, ' ');
  const std::string path = WriteScratchFile("definitions.ini", text);

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

  // The MACRO and INST2A03 lines made from them: single lines in the tracker's ranges.
  RecordingFrontEnd ui;
  check::DocumentExpectations expect = check::ImportRules();
  expect.anyMacroBody = true;
  const std::string problem = check::CheckDocument(WriteDocument(set, PatternGrid(1, 1), TrackTimingFor(120), ui), expect);
  if (!problem.empty()) Fail(problem);
  for (const std::string& w : set.warnings)
    if (HasLineEnd(w)) Fail("warning with a line end");
  return 0;
}
