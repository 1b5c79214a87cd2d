// Whole conversions with the library and the default channel mapping: songs
// built here that use every program and drum key, the real files of the
// shared folder, and a run that finds the files in its working folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/midi_builder.h"
#include "support/temp_dir.h"

namespace tonvert {
namespace {

using test::TempDir;

const std::string kLibrary = std::string(TONVERT_SOURCE_DIR) + "/library/";

struct CliRun {
  int status = -1;
  std::string warnings;  // standard error of the run
  std::string document;
};

// Converts midiPath into dir/out.txt; with useLibraryFlags false the program
// finds the definition files in dir, its working folder.
CliRun Convert(const TempDir& dir, const std::string& midiPath, bool useLibraryFlags = true) {
  std::string command = "cd '" + dir.path() + "' && '" TONVERT_CLI "' -q -t auto -o out.txt";
  if (useLibraryFlags) command += " -i '" + kLibrary + "instruments.ini' -d '" + kLibrary + "drums.ini'";
  command += " '" + midiPath + "' >/dev/null 2>err.txt";
  CliRun run;
  run.status = test::RunCommand(command);
  run.warnings = test::ReadFile(dir / "err.txt");
  run.document = test::ReadFile(dir / "out.txt");
  return run;
}

// The tracker's view of the document, from one strict pass of the checker:
// it imports (exit 0, or 2 for warnings only), and none of the warnings is
// about a macro (values, loop and release points, settings).
void ExpectTrackerAccepts(const TempDir& dir, const std::string& label) {
  const int status = test::RunCommand(std::string(TONVERT_PYTHON) + " " TONVERT_FTCHECK " --strict '" +
                                      (dir / "out.txt") + "' >'" + (dir / "check.txt") + "' 2>&1");
  std::string report = test::ReadFile(dir / "check.txt");
  EXPECT_TRUE(status == 0 || status == 2) << label << "\n" << report;
  std::transform(report.begin(), report.end(), report.begin(), [](unsigned char c) { return std::tolower(c); });
  EXPECT_EQ(report.find("macro"), std::string::npos) << label << "\n" << report;
}

void ExpectNoDefinitionWarnings(const CliRun& run, const std::string& label) {
  EXPECT_EQ(run.status, 0) << label << "\n" << run.warnings;
  EXPECT_EQ(run.warnings.find("Malformed macro"), std::string::npos) << label << "\n" << run.warnings;
  EXPECT_EQ(run.warnings.find("Undefined"), std::string::npos) << label << "\n" << run.warnings;
}

// A quarter note per program, each on its own channel in turn so the pulses,
// the triangle and the MMC5 pulses all play library instruments, then a
// sixteenth per drum key on channel 10.
test::Bytes SongOf(int firstProgram, int programCount, int firstDrum, int drumCount) {
  test::Track t;
  // Drum notes carry their channel's program too; one already in the song
  // adds no instrument.
  t.Tempo(0, 500000).Program(0, 9, firstProgram);
  for (int k = 0; k < programCount; ++k) {
    const int channel = (k % 15) + (k % 15 >= 9 ? 1 : 0);  // every channel but 10
    t.Program(0, channel, firstProgram + k).NoteOn(0, channel, 60, 100).NoteOff(96, channel, 60);
  }
  for (int k = 0; k < drumCount; ++k) t.NoteOn(0, 9, firstDrum + k, 100).NoteOff(24, 9, firstDrum + k);
  t.End();
  return test::Smf(0, 96, {t});
}

TEST(LibraryConversion, EveryProgramAndDrumKeyConvertsWithoutWarnings) {
  // A tracker song holds 64 instruments, so four songs of 32 programs and up
  // to 12 drums each cover programs 0-127 and drum keys 35-81.
  for (int song = 0; song < 4; ++song) {
    const int firstDrum = 35 + 12 * song;
    const int drums = std::min(12, 82 - firstDrum);
    const std::string label = "song " + std::to_string(song);
    TempDir dir;
    test::WriteFile(dir / "song.mid", SongOf(32 * song, 32, firstDrum, drums));
    const CliRun run = Convert(dir, dir / "song.mid");
    ExpectNoDefinitionWarnings(run, label);
    // Every program and every drum became an instrument of its own.
    size_t instruments = 0;
    for (size_t at = run.document.find("INST2A03"); at != std::string::npos; at = run.document.find("INST2A03", at + 1))
      ++instruments;
    EXPECT_EQ(instruments, static_cast<size_t>(32 + drums)) << label;
    ExpectTrackerAccepts(dir, label);
  }
}

TEST(LibraryConversion, RealGeneralMidiFilesConvertWithoutWarnings) {
  int converted = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(TONVERT_SHARED_DIR) + "/midi")) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".mid" && ext != ".midi") continue;
    const std::string label = entry.path().filename().string();
    TempDir dir;
    ExpectNoDefinitionWarnings(Convert(dir, entry.path().string()), label);
    ExpectTrackerAccepts(dir, label);
    ++converted;
  }
  EXPECT_GE(converted, 1) << "no MIDI files in " TONVERT_SHARED_DIR "/midi";
}

TEST(LibraryConversion, CopiesInTheWorkingFolderAreFoundWithoutOptions) {
  TempDir dir;
  for (const char* name : {"instruments.ini", "drums.ini"})
    test::WriteFile(dir / name, test::ReadFile(kLibrary + name));
  test::WriteFile(dir / "song.mid", SongOf(0, 8, 35, 8));
  const CliRun run = Convert(dir, dir / "song.mid", false);
  ExpectNoDefinitionWarnings(run, "working folder");
  EXPECT_NE(run.document.find("\"Acoustic Grand Piano\""), std::string::npos);
  EXPECT_NE(run.document.find("\"Acoustic Bass Drum\""), std::string::npos);
}

}  // namespace
}  // namespace tonvert
