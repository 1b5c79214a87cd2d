// Platform conventions of the window: what a requester is proposed, and where
// the output goes by default.
#include <gtest/gtest.h>

#include "shell/shell_platform.h"

namespace tonvert::test {
namespace {

TEST(ProposedFile, LinuxSplitsAtTheLastSlash) {
  const char* cases[][3] = {
      {"/home/ann/music/song.mid", "/home/ann/music", "song.mid"},
      {"song.mid", "", "song.mid"},
      {"/song.mid", "/", "song.mid"},  // the root folder, not "no folder"
      {"music/", "music", ""},
      {"/m/na\xc3\xafve \xe6\x9b\xb2.mid", "/m", "na\xc3\xafve \xe6\x9b\xb2.mid"},
  };
  for (auto& c : cases) {
    const ProposedFile p = SplitProposedFile(c[0], '/');
    EXPECT_EQ(p.folder + "|" + p.name, std::string(c[1]) + "|" + c[2]) << c[0];
  }
}

TEST(ProposedFile, NamesWithCharactersWindowsForbidsAreNotProposed) {
  for (const char* bad : {"\"", "*", ":", "<", ">", "?", "\\", "|", "\t", "\x01", "\x1f"}) {
    const ProposedFile p = SplitProposedFile(std::string("/m/a") + bad + "b.mid", '/');
    EXPECT_EQ(p.folder + "|" + p.name, "/m|") << bad;
  }
}

TEST(ProposedFile, WindowsSplitsAtTheLastBackslash) {
  const char separator = WindowsShellPlatform().folderSeparator;
  ProposedFile p = SplitProposedFile("c:\\music\\song.mid", separator);
  EXPECT_EQ(p.folder + "|" + p.name, "c:\\music|song.mid");
  p = SplitProposedFile("c:/song.txt", separator);  // "/" and ":" in the name
  EXPECT_EQ(p.folder + "|" + p.name, "|");
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
