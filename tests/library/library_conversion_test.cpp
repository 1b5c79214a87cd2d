// Whole conversions with the library and the default channel mapping, of songs using every program and
// drum key and of the real files (tests/data/midi): no definition warning, and the tracker imports each.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "document_check.h"
#include "support/midi_builder.h"
#include "support/temp_dir.h"

namespace tonvert::test {
namespace {

const std::string kLibrary = std::string(TONVERT_SOURCE_DIR) + "/library/";

// Converts midiPath with the library into dir/out.txt and returns the document.
std::string ExpectCleanConversion(const TempDir& dir, const std::string& midiPath, const std::string& label) {
  const int status = RunCommand("cd '" + dir.path() + "' && '" TONVERT_CLI "' -q -t auto -o out.txt -i '" +
                                kLibrary + "instruments.ini' -d '" + kLibrary + "drums.ini' '" + midiPath +
                                "' >/dev/null 2>err.txt");
  const std::string warnings = ReadFile(dir / "err.txt");
  EXPECT_EQ(status, 0) << label << "\n" << warnings;
  for (const char* warning : {"Malformed macro", "Undefined"})
    EXPECT_EQ(warnings.find(warning), std::string::npos) << label << "\n" << warnings;
  // It imports, and every macro reads as the library means it (values, loop
  // and release points, settings).
  check::DocumentExpectations rules = check::ImportRules();
  rules.soundMacros = true;
  const std::string document = ReadFile(dir / "out.txt");
  EXPECT_EQ(check::CheckDocument(document, rules), "") << label;
  return document;
}

TEST(LibraryConversion, EveryProgramAndDrumKeyConvertsWithoutWarnings) {
  // A tracker song holds 64 instruments, so four songs of 32 programs and up
  // to 16 drums each cover programs 0-127 and drum keys 27-87.
  for (int song = 0; song < 4; ++song) {
    const int firstProgram = 32 * song, firstDrum = 27 + 16 * song, drums = std::min(16, 88 - firstDrum);
    // A quarter note per program on every channel but 10 in turn (so every
    // column plays library instruments), then a sixteenth per drum key.
    Track t;
    t.Tempo(0, 500000).Program(0, 9, firstProgram);
    for (int k = 0; k < 32; ++k) {
      const int channel = (k % 15) + (k % 15 >= 9 ? 1 : 0);
      t.Program(0, channel, firstProgram + k).NoteOn(0, channel, 60, 100).NoteOff(96, channel, 60);
    }
    for (int k = firstDrum; k < firstDrum + drums; ++k) t.NoteOn(0, 9, k, 100).NoteOff(24, 9, k);
    TempDir dir;
    WriteFile(dir / "song.mid", Smf(0, 96, {t.End()}));
    const std::string document = ExpectCleanConversion(dir, dir / "song.mid", "song " + std::to_string(song));
    size_t instruments = 0;
    for (size_t at = document.find("\nINST2A03"); at != std::string::npos; at = document.find("\nINST2A03", at + 1))
      ++instruments;
    EXPECT_EQ(instruments, static_cast<size_t>(32 + drums)) << "song " << song << ": one instrument each";
  }
}

TEST(LibraryConversion, RealGeneralMidiFilesConvertWithoutWarnings) {
  int converted = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(TONVERT_TEST_DATA_DIR) + "/midi")) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".mid" && ext != ".midi") continue;
    TempDir dir;
    ExpectCleanConversion(dir, entry.path().string(), entry.path().filename().string());
    ++converted;
  }
  EXPECT_GE(converted, 1) << "no MIDI files in " TONVERT_TEST_DATA_DIR "/midi";
}

}  // namespace
}  // namespace tonvert::test
