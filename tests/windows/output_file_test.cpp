// Writing the document on Windows: bytes as they are, the target replaced whole,
// the same refusals as elsewhere, and names outside the ANSI code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/output_file.h"
#include "support/temp_dir.h"

namespace tonvert {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kDocument = "# FamiTracker text export 0.4.2\r\n\r\nTITLE \"\"\r\n";

// Every name in the folder, so a left-over temporary file shows.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(folder)))
    names.push_back(entry.path().filename().u8string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(WindowsOutput, TheManifestMakesTheNarrowFunctionsUtf8) {
  EXPECT_EQ(GetACP(), 65001u) << "the test program lacks its UTF-8 manifest";
}

TEST(WindowsOutput, WritesTheBytesUnchangedWithTheirCrLf) {
  TempDir dir;
  ASSERT_TRUE(WriteOutputFile(dir / "song.txt", kDocument, ""));
  EXPECT_EQ(ReadFile(dir / "song.txt"), kDocument) << "text mode would write CR CR LF";
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"song.txt"});
}

TEST(WindowsOutput, ReplacesALongerFileWholeAndLeavesNoTemporaryFile) {
  TempDir dir;
  WriteFile(dir / "song.txt", std::string(100000, 'x'));
  ASSERT_TRUE(WriteOutputFile(dir / "song.txt", kDocument, ""));
  EXPECT_EQ(ReadFile(dir / "song.txt"), kDocument);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"song.txt"});
}

TEST(WindowsOutput, BackslashesAndABareNameInTheCurrentFolderWork) {
  TempDir dir;
  std::string windowsPath = dir / "song.txt";
  for (char& c : windowsPath)
    if (c == '/') c = '\\';
  ASSERT_TRUE(WriteOutputFile(windowsPath, kDocument, ""));
  EXPECT_EQ(ReadFile(dir / "song.txt"), kDocument);

  char previous[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, previous), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  const bool written = WriteOutputFile("bare.txt", kDocument, "");
  SetCurrentDirectoryA(previous);
  EXPECT_TRUE(written);
  EXPECT_EQ(ReadFile(dir / "bare.txt"), kDocument);
}

TEST(WindowsOutput, RefusesWhatCannotOrMustNotBeReplaced) {
  TempDir dir;
  WriteFile(dir / "song.mid", "MThd");
  WriteFile(dir / "locked.txt", "old");
  ASSERT_TRUE(SetFileAttributesA((dir / "locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  std::filesystem::create_directory(dir / "folder.txt");
  std::string inputOtherSpelling = dir / "SONG.MID";
  for (char& c : inputOtherSpelling)
    if (c == '/') c = '\\';

  EXPECT_FALSE(WriteOutputFile("", kDocument, ""));
  EXPECT_FALSE(WriteOutputFile(dir / "folder.txt", kDocument, ""));
  EXPECT_FALSE(WriteOutputFile(dir / "missing/song.txt", kDocument, ""));
  EXPECT_FALSE(WriteOutputFile(dir / "locked.txt", kDocument, ""));
  EXPECT_FALSE(WriteOutputFile(dir / "song.mid", kDocument, inputOtherSpelling))
      << "the MIDI file itself, named another way";
  EXPECT_FALSE(WriteOutputFile(dir / "bad?name.txt", kDocument, ""));

  EXPECT_EQ(ReadFile(dir / "song.mid"), "MThd");
  EXPECT_EQ(ReadFile(dir / "locked.txt"), "old");
  SetFileAttributesA((dir / "locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"folder.txt", "locked.txt", "song.mid"}));
}

TEST(WindowsOutput, TheNullDeviceIsWrittenDirectly) {
  EXPECT_TRUE(WriteOutputFile("NUL", kDocument, ""));
}

TEST(WindowsOutput, ANameOutsideTheAnsiCodePageIsCreatedAsIs) {
  TempDir dir;
  const std::string name = "\xE6\x9B\xB2.txt";  // a Japanese name, in UTF-8
  ASSERT_TRUE(WriteOutputFile(dir / name, kDocument, ""));
  // Looked up with the wide functions: the name is the character, not its bytes.
  const std::wstring wide = std::filesystem::u8path(dir / name).wstring();
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(wide.c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  FindClose(search);
  EXPECT_EQ(std::wstring(found.cFileName), L"\x66F2.txt");
  EXPECT_EQ(ReadFile(dir / name), kDocument);
}

}  // namespace
}  // namespace tonvert
