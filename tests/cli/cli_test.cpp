#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

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

// Runs in `folder`; standard output and error are captured.
CliRun RunCli(const TempDir& folder, const std::string& args) {
  const std::string cmd = "cd '" + folder.path() + "' && '" + TONVERT_CLI + "' " + args + " >'" +
                          (folder / "stdout") + "' 2>'" + (folder / "stderr") + "' </dev/null";
  CliRun r{test::RunCommand(cmd), ReadFile(folder / "stdout"), ReadFile(folder / "stderr")};
  std::remove((folder / "stdout").c_str());
  std::remove((folder / "stderr").c_str());
  return r;
}

// The files every case of cli_cases.txt may use.
void WriteFixtures(const TempDir& dir) {
  // Program 5 is not defined: a warning even with -q.
  const auto song = Smf(1, 48, {Track().Tempo(0, 500000).NoteOn(0, 0, 60, 100).NoteOff(12, 0, 60)
                                    .Program(0, 1, 5).NoteOn(0, 1, 64, 100).NoteOff(12, 1, 64).End()});
  WriteFile(dir / "song.mid", song);
  WriteFile(dir / "cut.mid", std::vector<uint8_t>(song.begin(), song.end() - 4));  // End of Track lost
  // 96 ticks per quarter note: the second note is on row 4 with auto ticks, on row 8 with 36.
  const auto slow = Smf(1, 96, {Track().Tempo(0, 500000).NoteOn(0, 0, 60, 100).NoteOff(48, 0, 60)
                                    .NoteOn(48, 0, 64, 100).NoteOff(48, 0, 64).End()});
  WriteFile(dir / "slow.mid", slow);
  WriteFile(dir / ".mid", slow);
  ASSERT_EQ(mkdir((dir / "dir.v2").c_str(), 0755), 0);
  WriteFile(dir / "dir.v2/song", slow);
  ASSERT_EQ(mkdir((dir / "folder.mid").c_str(), 0755), 0);
  // 25 frames a second, 40 ticks a frame: no quarter note.
  WriteFile(dir / "smpte.mid", Smf(1, 0xE728, {Track().NoteOn(0, 0, 60, 100).NoteOff(40, 0, 60).End()}));
  WriteFile(dir / "instruments.ini", "[0]\nMidiInstrument=Lead\nFTMacroVolume=-1 -1 0 : 15 8\n");
}

// One case of cli_cases.txt: see the file's head for its lines.
struct Case {
  int line = 0;
  std::string args, out, err;
  int status = 0;
  std::vector<std::string> outHas, exist, absent, contain, lack;
};

std::vector<Case> ReadCases(const std::string& path) {
  std::ifstream in(path);
  std::vector<Case> cases;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    for (size_t at; (at = line.find("@SOURCE@")) != std::string::npos;) line.replace(at, 8, TONVERT_SOURCE_DIR);
    const size_t space = line.find(' ');
    const std::string tag = line.substr(0, space), rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (tag == "$") {
      cases.emplace_back();
      cases.back().line = number;
      cases.back().args = rest;
      continue;
    }
    if (tag.empty() || tag == "#") continue;
    EXPECT_FALSE(cases.empty()) << "line " << number << " comes before the first case";
    if (cases.empty()) continue;
    Case& c = cases.back();
    if (tag == "?") {
      c.status = std::stoi(rest);
    } else if (tag == "1>") {
      c.out += rest + "\n";
    } else if (tag == "2>") {
      c.err += rest + "\n";
    } else {
      std::vector<std::string>* list = tag == "1~"   ? &c.outHas
                                       : tag == "+"  ? &c.exist
                                       : tag == "-"  ? &c.absent
                                       : tag == "~"  ? &c.contain
                                       : tag == "!~" ? &c.lack
                                                     : nullptr;
      if (list != nullptr) list->push_back(rest);
      EXPECT_NE(list, nullptr) << "line " << number << ": unknown tag " << tag;
    }
  }
  return cases;
}

// "FILE TEXT" -> the file's text and TEXT.
std::pair<std::string, std::string> FileAndText(const TempDir& dir, const std::string& entry) {
  const size_t space = entry.find(' ');
  return {ReadFile(dir / entry.substr(0, space)), entry.substr(space + 1)};
}

TEST(CliCases, ArgumentsGiveTheirExitStatusOutputAndFiles) {
  const std::vector<Case> cases = ReadCases(std::string(TONVERT_SOURCE_DIR) + "/tests/cli/cli_cases.txt");
  ASSERT_GT(cases.size(), 30u);
  for (const Case& c : cases) {
    SCOPED_TRACE("cli_cases.txt:" + std::to_string(c.line) + ": " + c.args);
    TempDir dir;
    WriteFixtures(dir);
    const CliRun r = RunCli(dir, c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    if (c.outHas.empty()) {
      EXPECT_EQ(r.out, c.out);
    }
    for (const std::string& text : c.outHas) EXPECT_NE(r.out.find(text), std::string::npos) << text;
    for (const std::string& name : c.exist) EXPECT_TRUE(test::FileExists(dir / name)) << name;
    for (const std::string& name : c.absent) EXPECT_FALSE(test::FileExists(dir / name)) << name;
    for (const std::string& entry : c.contain) {
      const auto [text, part] = FileAndText(dir, entry);
      EXPECT_NE(text.find(part), std::string::npos) << entry;
    }
    for (const std::string& entry : c.lack) {
      const auto [text, part] = FileAndText(dir, entry);
      EXPECT_EQ(text.find(part), std::string::npos) << entry;
    }
  }
}

class Cli : public ::testing::Test {
 protected:
  Cli() { WriteFixtures(dir); }
  CliRun Run(const std::string& args) { return RunCli(dir, args); }
  TempDir dir;
};

TEST_F(Cli, DashWritesOnlyTheDocumentToStandardOutput) {
  const CliRun r = Run("-q -o - song.mid");
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("# FamiTracker text export 0.4.2\r\n", 0), 0u);
  EXPECT_EQ(r.out, ReadFile((Run("-q -o file.txt song.mid"), dir / "file.txt")));
}

TEST_F(Cli, SeveralFilesGiveTheDocumentsOfSingleRuns) {
  ASSERT_EQ(Run("-q -t 36 -o single.txt slow.mid").status, 0);
  ASSERT_EQ(Run("-q -t 36 -i instruments.ini song.mid slow.mid").status, 0);
  EXPECT_EQ(ReadFile(dir / "slow.txt"), ReadFile(dir / "single.txt")) << "nothing carried over from song.mid";
}

TEST_F(Cli, ALinkStaysALinkAlsoToAFileNotYetMade) {
  // In a folder of its own: a relative target names a file beside the link,
  // not one in the current folder.
  ASSERT_EQ(mkdir((dir / "sub").c_str(), 0700), 0);
  WriteFile(dir / "sub/target.txt", "old");
  ASSERT_EQ(symlink("target.txt", (dir / "sub/link.txt").c_str()), 0);
  ASSERT_EQ(Run("-q -o sub/link.txt song.mid").status, 0);
  struct stat info;
  ASSERT_EQ(lstat((dir / "sub/link.txt").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadFile(dir / "sub/target.txt").rfind("# FamiTracker", 0), 0u);
  EXPECT_FALSE(test::FileExists(dir / "target.txt"));

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
  EXPECT_EQ(ReadFile(dir / "err"), "error: may not create the file! (standard output: Broken pipe)\n");
}

}  // namespace
}  // namespace tonvert
