// Writing the document on Windows: bytes as they are, the target replaced whole,
// Windows paths and names outside the ANSI code page, and the refusals.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "convert/output_file.h"
#include "support/temp_dir.h"

namespace tonvert::test {
namespace {

const std::string kDocument = "# FamiTracker text export 0.4.2\r\n\r\nTITLE \"\"\r\n";

// How many names the folder holds, so a left-over temporary file shows.
size_t Entries(const std::string& folder) {
  const std::filesystem::directory_iterator entries(std::filesystem::u8path(folder));
  return std::distance(begin(entries), end(entries));
}

std::string Backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

TEST(WindowsOutput, WritesTheBytesAsTheyAreOverALongerFileInWindowsPathsAndNames) {
  TempDir dir;
  WriteFile(dir / "song.txt", std::string(100000, 'x'));
  ASSERT_TRUE(WriteOutputFile(Backslashed(dir / "song.txt"), kDocument, ""));
  EXPECT_EQ(ReadFile(dir / "song.txt"), kDocument) << "text mode would write CR CR LF";
  // A bare name goes to the current folder; the null device is written directly.
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::u8path(dir.path()));
  const bool written = WriteOutputFile("bare.txt", kDocument, "");
  std::filesystem::current_path(previous);
  EXPECT_TRUE(written);
  EXPECT_EQ(ReadFile(dir / "bare.txt"), kDocument);
  EXPECT_EQ(Entries(dir.path()), 2u);
  EXPECT_TRUE(WriteOutputFile("NUL", kDocument, ""));
  // With the manifest's UTF-8 code page a name outside the ANSI code page is
  // created as is: the wide functions find the character, not its bytes.
  EXPECT_EQ(GetACP(), 65001u) << "the test program lacks its UTF-8 manifest";
  ASSERT_TRUE(WriteOutputFile(dir / "\xE6\x9B\xB2.txt", kDocument, ""));  // a Japanese name, in UTF-8
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(std::filesystem::u8path(dir / "\xE6\x9B\xB2.*").wstring().c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  FindClose(search);
  EXPECT_EQ(std::wstring(found.cFileName), L"\x66F2.txt");
}

TEST(WindowsOutput, RefusesWhatCannotOrMustNotBeReplaced) {
  TempDir dir;
  WriteFile(dir / "song.mid", "MThd");
  WriteFile(dir / "locked.txt", "old");
  ASSERT_TRUE(SetFileAttributesA((dir / "locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  std::filesystem::create_directory(dir / "folder.txt");
  for (const std::string& target : {std::string(), dir / "folder.txt", dir / "missing/song.txt", dir / "locked.txt",
                                    dir / "bad?name.txt"})
    EXPECT_FALSE(WriteOutputFile(target, kDocument, "")) << target;
  EXPECT_FALSE(WriteOutputFile(dir / "song.mid", kDocument, Backslashed(dir / "SONG.MID")))
      << "the MIDI file itself, named another way";
  EXPECT_EQ(ReadFile(dir / "song.mid") + ReadFile(dir / "locked.txt"), "MThdold");
  SetFileAttributesA((dir / "locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Entries(dir.path()), 3u);
}

}  // namespace
}  // namespace tonvert::test
