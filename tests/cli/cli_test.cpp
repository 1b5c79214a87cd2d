#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/midi_builder.h"
#include "support/temp_dir.h"

namespace tonvert {
namespace {

using test::ReadFile;
using test::Smf;
using test::TempDir;
using test::Track;
using test::WriteFile;

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

class Cli : public ::testing::Test {
 protected:
  Cli() {
    WriteFile(dir / "song.mid", Smf(1, 48, {Track().Tempo(0, 500000).NoteOn(0, 0, 60, 100).NoteOff(12, 0, 60)
                                                .Program(0, 1, 5).NoteOn(0, 1, 64, 100).NoteOff(12, 1, 64).End()}));
    WriteFile(dir / "instruments.ini", "[0]\nMidiInstrument=Lead\nFTMacroVolume=-1 -1 0 : 15 8\n");
  }
  // Runs in the temporary folder; standard output and error are captured.
  CliRun Run(const std::string& args, const std::string& prefix = "") {
    const std::string cmd = "cd '" + dir.path() + "' && " + prefix + "'" + TONVERT_CLI + "' " + args +
                            " >'" + (dir / "stdout") + "' 2>'" + (dir / "stderr") + "'";
    CliRun r{test::RunCommand(cmd), ReadFile(dir / "stdout"), ReadFile(dir / "stderr")};
    return r;
  }
  TempDir dir;
};

TEST_F(Cli, ConvertsBesideTheMidiFileAndPrintsWhereTheOutputIs) {
  const CliRun r = Run("song.mid");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "song.txt\n");
  EXPECT_EQ(test::FtCheck(dir / "song.txt"), 0);
  EXPECT_EQ(r.err,
            "Reading MIDI\nReading instruments\nProgram #0\nProgram #1\nNotes\nReading drums\n"
            "Using library file " TONVERT_SOURCE_DIR "/library/drums.ini\nNote #0\n"
            "Frame #0\nMacros and instruments\nWriting file\nCompleted\n"
            "warning: Undefined instrument program #5\n");
}

TEST_F(Cli, DefaultOutputReplacesTheLastExtensionOfTheName) {
  ASSERT_EQ(mkdir((dir / "dir.v2").c_str(), 0755), 0);
  const std::string bytes = ReadFile(dir / "song.mid");
  WriteFile(dir / "dir.v2/song", bytes);
  WriteFile(dir / ".mid", bytes);
  WriteFile(dir / "a.b.mid", bytes);
  EXPECT_EQ(Run("-q dir.v2/song").out, "dir.v2/song.txt\n");
  EXPECT_EQ(Run("-q .mid").out, ".txt\n");
  EXPECT_EQ(Run("-q a.b.mid").out, "a.b.txt\n");
  EXPECT_TRUE(test::FileExists(dir / "dir.v2/song.txt"));
}

TEST_F(Cli, OptionsAreReadTheGnuWay) {
  // Clustered flags, attached values, options after the file, a later option winning.
  const CliRun r = Run("song.mid -qr8 --ticks=auto -o first.txt --output=out.txt -i instruments.ini");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "warning: Undefined instrument program #5\n") << "quiet keeps warnings";
  EXPECT_NE(ReadFile(dir / "out.txt").find("TRACK  8   6 120 "), std::string::npos);
  EXPECT_FALSE(test::FileExists(dir / "first.txt"));
  EXPECT_EQ(Run("-q -- song.mid").status, 0);
  // Empty names read no definitions: neither the folder's nor the library's.
  const CliRun none = Run("-i '' -d '' song.mid");
  EXPECT_NE(none.err.find("warning: Undefined instrument program #0\n"), std::string::npos);
  EXPECT_EQ(none.err.find("Using library file"), std::string::npos);
}

TEST_F(Cli, DashWritesOnlyTheDocumentToStandardOutput) {
  const CliRun r = Run("-q -o - song.mid");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("# FamiTracker text export 0.4.2\r\n", 0), 0u);
  EXPECT_EQ(r.out, ReadFile((Run("-q -o file.txt song.mid"), dir / "file.txt")));
}

TEST_F(Cli, MapperTextAppliesOverTheDefault) {
  // Only MIDI channel 2 on Pulse 1: channel 1's note goes nowhere.
  ASSERT_EQ(Run("-q -m 01 -o out.txt song.mid").status, 0);
  const std::string doc = ReadFile(dir / "out.txt");
  EXPECT_NE(doc.find("ROW 01 : E-4 01 C V00"), std::string::npos);
  EXPECT_EQ(doc.find("C-4"), std::string::npos);
}

TEST_F(Cli, UsageErrorsExitWithTwo) {
  for (const char* args : {"", "a.mid b.mid", "-x song.mid", "--bogus song.mid", "-o '' song.mid", "song.mid -o"}) {
    const CliRun r = Run(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.err.find("usage: tonvert-cli"), std::string::npos) << args;
    EXPECT_TRUE(r.out.empty());
  }
  EXPECT_EQ(Run("--version").out, "tonvert-cli 0.1.124.1\n");
  const CliRun help = Run("-h");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("auto"), std::string::npos);
}

TEST_F(Cli, ErrorsExitWithOneAndWriteNothing) {
  CliRun r = Run("-d missing.ini song.mid");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "error: Cannot read missing.ini\n");
  r = Run("-i . song.mid");
  EXPECT_EQ(r.err, "error: Cannot read .\n");

  r = Run("-q nothing.mid");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "error: Bad file\n");

  WriteFile(dir / "riff.mid", std::string("RIFF\0\0\0\4", 8));
  r = Run("-q riff.mid");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, std::string("error: Unknown format !! : RIFF / 4\n"));
  EXPECT_FALSE(test::FileExists(dir / "riff.txt"));

  r = Run("-q -r 300 song.mid");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "error: Rows per pattern must be between 1 and 256.\n");
}

TEST_F(Cli, ReaderWarningsComeWhenTheyHappenAndTheRunGoesOn) {
  const std::string whole = ReadFile(dir / "song.mid");
  WriteFile(dir / "cut.mid", whole.substr(0, whole.size() - 4));  // End of Track lost
  const CliRun r = Run("-o out.txt cut.mid");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.rfind("Reading MIDI\nwarning: Abnormal EndOfFile encountered.\nReading instruments\n", 0), 0u)
      << r.err;
}

TEST_F(Cli, ALinkStaysALinkAlsoToAFileNotYetMade) {
  WriteFile(dir / "target.txt", "old");
  ASSERT_EQ(symlink("target.txt", (dir / "link.txt").c_str()), 0);
  ASSERT_EQ(Run("-q -o link.txt song.mid").status, 0);
  struct stat info;
  ASSERT_EQ(lstat((dir / "link.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadFile(dir / "target.txt").rfind("# FamiTracker", 0), 0u);

  ASSERT_EQ(symlink("new-target.txt", (dir / "dangling.txt").c_str()), 0);
  ASSERT_EQ(Run("-q -o dangling.txt song.mid").status, 0);
  EXPECT_TRUE(test::FileExists(dir / "new-target.txt"));
}

TEST_F(Cli, ABrokenPipeIsAWriteError) {
  // 128 frames: far more than a pipe holds, so the reader's early exit is met.
  WriteFile(dir / "long.mid", Smf(1, 48, {Track().NoteOn(0, 0, 60, 100).NoteOff(128 * 768, 0, 60).End()}));
  const int status = test::RunCommand("bash -c \"set -o pipefail; cd '" + dir.path() + "' && '" +
                                      TONVERT_CLI + "' -q -o - long.mid 2>err | head -c 10 >/dev/null\"");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(ReadFile(dir / "err"), "error: may not create the file!\n");
}

}  // namespace
}  // namespace tonvert
