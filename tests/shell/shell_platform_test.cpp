// Platform conventions of the window: what a requester is proposed, and where
// the output goes by default.
#include <gtest/gtest.h>

#include "shell/shell_platform.h"

namespace tonvert::test {
namespace {

struct SplitCase {
  const char* text;
  const char* folder;
  const char* name;
};

TEST(ProposedFile, LinuxSplitsAtTheLastSlash) {
  const SplitCase cases[] = {
      {"/home/ann/music/song.mid", "/home/ann/music", "song.mid"},
      {"song.mid", "", "song.mid"},
      {"/song.mid", "/", "song.mid"},  // the root folder, not "no folder"
      {"music/", "music", ""},
      {"", "", ""},
      {"/m/na\xc3\xafve \xe6\x9b\xb2.mid", "/m", "na\xc3\xafve \xe6\x9b\xb2.mid"},
      {"/m/a b.c.mid", "/m", "a b.c.mid"},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.text);
    const ProposedFile p = SplitProposedFile(c.text, '/');
    EXPECT_EQ(p.folder, c.folder);
    EXPECT_EQ(p.name, c.name);
  }
}

TEST(ProposedFile, NamesWithCharactersWindowsForbidsAreNotProposed) {
  for (const char* bad : {"\"", "*", ":", "<", ">", "?", "\\", "|", "\t", "\x01", "\x1f"}) {
    SCOPED_TRACE(bad);
    const ProposedFile p = SplitProposedFile(std::string("/m/a") + bad + "b.mid", '/');
    EXPECT_EQ(p.folder, "/m");
    EXPECT_EQ(p.name, "");
  }
}

TEST(ProposedFile, WindowsSplitsAtTheLastBackslash) {
  const char separator = WindowsShellPlatform().folderSeparator;
  ProposedFile p = SplitProposedFile("c:\\music\\song.mid", separator);
  EXPECT_EQ(p.folder, "c:\\music");
  EXPECT_EQ(p.name, "song.mid");
  // Forward slashes are no separator there, and make the name unusable.
  p = SplitProposedFile("c:/song.txt", separator);
  EXPECT_EQ(p.folder, "");
  EXPECT_EQ(p.name, "");
}

TEST(DefaultOutput, LinuxPutsSongTxtInTheHomeFolder) {
  EXPECT_EQ(LinuxShellPlatform("/home/ann").defaultOutputPath, "/home/ann/song.txt");
  EXPECT_EQ(LinuxShellPlatform("/home/ann/").defaultOutputPath, "/home/ann/song.txt");
  EXPECT_EQ(LinuxShellPlatform("/").defaultOutputPath, "/song.txt");
  EXPECT_EQ(LinuxShellPlatform("").defaultOutputPath, "song.txt");
  EXPECT_EQ(LinuxShellPlatform(nullptr).defaultOutputPath, "song.txt");
  EXPECT_EQ(WindowsShellPlatform().defaultOutputPath, "c:/song.txt");
}

}  // namespace
}  // namespace tonvert::test
