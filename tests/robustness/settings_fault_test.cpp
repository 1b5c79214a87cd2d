// The settings file under faults: a folder the user may not write, a file cut
// anywhere, a file full of garbage lines, a file that is a link to a device.
// Reads give the stored text or the caller's default, writes fail silently or
// land whole, and nothing else of the file or its folder changes.
#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "robustness_support.h"
#include "settings/registry_file.h"
#include "support/temp_dir.h"
#include "support/truncation.h"

namespace tonvert::test {
namespace {

const std::vector<std::string> kNames{"in", "out", "rpp", "ticks", "mapper"};
const std::vector<std::string> kDefaults{"", "c:/song.txt", "64", "36", ""};

std::vector<std::string> ReadFive(Settings& settings) {
  std::vector<std::string> texts;
  for (size_t k = 0; k < kNames.size(); ++k) texts.push_back(settings.ReadSetting(kNames[k], kDefaults[k]));
  return texts;
}

// The file a first start and a close leave, with another key after it.
std::string StoredFile(const std::string& folder, const std::vector<std::string>& values) {
  const std::string path = folder + "/made.reg";
  RegistryFile registry(path);
  Settings settings(registry);
  settings.OpenSettingsKey("FARROW_TONVERT");
  for (size_t k = 0; k < kNames.size(); ++k) settings.WriteSetting(kNames[k], values[k]);
  registry.CreateRegistryKey("HKEY_CURRENT_USER\\Software\\Other");
  registry.WriteRegistryValue("HKEY_CURRENT_USER\\Software\\Other", "x", "y");
  const std::string text = ReadFile(path);
  std::remove(path.c_str());
  return text;
}

const std::vector<std::string> kValues{"/home/ann/midi/song \"one\".mid", "/home/ann/song.txt", "32", "auto",
                                       std::string(56, '1') + std::string(56, '0')};

// Runs `check` as the ordinary user in a child process; true when it held.
bool AsOrdinaryUser(const std::function<bool()>& check) {
  const pid_t pid = fork();
  if (pid == 0) {
    const bool dropped = geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
    _exit(dropped && check() ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SettingsFault, AFolderTheUserMayNotWrite) {
  ScratchDir dir;
  chmod(dir.path().c_str(), 0755);
  const std::string folder = dir / "farrow";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::string path = folder + "/tonvert.reg";
  const std::string stored = StoredFile(dir.path(), kValues);
  WriteFile(path, stored);
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);

  // The user reads the stored values, but a close's writes change nothing and
  // leave nothing beside the file.
  EXPECT_TRUE(AsOrdinaryUser([&] {
    if (access(folder.c_str(), W_OK) == 0) return false;  // the fault must be real
    RegistryFile registry(path);
    Settings settings(registry);
    settings.OpenSettingsKey("FARROW_TONVERT");
    if (ReadFive(settings) != kValues) return false;
    for (const std::string& name : kNames) settings.WriteSetting(name, "changed");
    return ReadFive(settings) == kValues;
  }));
  EXPECT_EQ(ReadFile(path), stored);
  EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"tonvert.reg"});

  // With no file yet, the key cannot be made: every read gives its default.
  std::remove(path.c_str());
  EXPECT_TRUE(AsOrdinaryUser([&] {
    RegistryFile registry(path);
    Settings settings(registry);
    settings.OpenSettingsKey("FARROW_TONVERT");
    settings.WriteSetting("rpp", "12");
    return ReadFive(settings) == kDefaults;
  }));
  EXPECT_TRUE(FolderEntries(folder).empty());
}

TEST(SettingsFault, EveryCutOfTheFileReadsAndRewritesSafely) {
  ScratchDir dir;
  const std::string stored = StoredFile(dir.path(), kValues);
  const std::vector<uint8_t> bytes(stored.begin(), stored.end());
  const std::string path = dir / "tonvert.reg";
  ForEachTruncation(bytes, 1, [&](const uint8_t* data, size_t length) {
    WriteFile(path, std::vector<uint8_t>(data, data + length));
    RegistryFile registry(path);
    Settings settings(registry);
    settings.OpenSettingsKey("FARROW_TONVERT");
    // A value cut anywhere reads as the default, never as a part of itself.
    const std::vector<std::string> read = ReadFive(settings);
    for (size_t k = 0; k < kNames.size(); ++k)
      ASSERT_TRUE(read[k] == kValues[k] || read[k] == kDefaults[k]) << length << ": " << kNames[k] << "=" << read[k];
    settings.WriteSetting("rpp", "12");
    std::vector<std::string> expected = read;
    expected[2] = "12";
    ASSERT_EQ(ReadFive(settings), expected) << length;
    ASSERT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"tonvert.reg"}) << length;
  });
}

TEST(SettingsFault, GarbageLinesAreKeptAndDoNotHideTheValues) {
  ScratchDir dir;
  const std::string path = dir / "tonvert.reg";
  const std::vector<std::string> garbage = {
      std::string("\x00\x01\x02\xFF\xFE binary", 13),
      "\"unterminated=\"value",
      "\"in\"=dword:xyz",
      "\"rpp\"=hex:zz,01",
      "=\"no name\"",
      std::string(100000, 'L'),
      "\xC3\x28 ill-formed UTF-8",
      "@",
      // Headers that name no key: the lines under them belong to none.
      "[",
      "]]][[[",
      "\"ticks\"=\"under no key\"",
  };
  std::string text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Farrow\\FARROW_TONVERT]\r\n";
  for (size_t k = 0; k < garbage.size(); ++k) {
    text += garbage[k] + (k % 2 ? "\n" : "\r\n");
    if (k < kNames.size()) {
      std::string quoted;
      for (char c : kValues[k]) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
      text += "\"" + kNames[k] + "\"=\"" + quoted + "\"\r\n";
    }
  }
  WriteFile(path, text);

  RegistryFile registry(path);
  Settings settings(registry);
  settings.OpenSettingsKey("FARROW_TONVERT");
  EXPECT_EQ(ReadFive(settings), kValues);
  settings.WriteSetting("ticks", "48");
  std::vector<std::string> expected = kValues;
  expected[3] = "48";
  EXPECT_EQ(ReadFive(settings), expected);
  const std::string rewritten = ReadFile(path);
  for (const std::string& line : garbage)
    EXPECT_NE(rewritten.find(line + "\r\n"), std::string::npos) << "lost: " << line.substr(0, 30);
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"tonvert.reg"});

  // A fresh process reads what was written.
  RegistryFile again(path);
  Settings reread(again);
  reread.OpenSettingsKey("FARROW_TONVERT");
  EXPECT_EQ(ReadFive(reread), expected);
}

}  // namespace
}  // namespace tonvert::test

namespace tonvert::test {
namespace {

// A settings file linked to a null device (a common way to keep no settings)
// must not turn the device into a regular file (as root, /dev/null itself).
TEST(SettingsFault, ALinkToADeviceKeepsTheDevice) {
  TempDir dir;  // not tmpfs: device nodes there may not be opened
  const std::string node = dir / "null";
  ASSERT_EQ(geteuid(), 0u) << "making a device node needs root";
  ASSERT_EQ(mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  ASSERT_EQ(symlink(node.c_str(), (dir / "tonvert.reg").c_str()), 0);
  RegistryFile registry(dir / "tonvert.reg");
  Settings settings(registry);
  settings.OpenSettingsKey("FARROW_TONVERT");
  settings.WriteSetting("rpp", "12");
  struct stat info;
  ASSERT_EQ(lstat(node.c_str(), &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode)) << "the device was replaced by a file";
  EXPECT_EQ(ReadFive(settings), kDefaults);
}

}  // namespace
}  // namespace tonvert::test

namespace tonvert::test {
namespace {

// Runs `check` in a child process that gets `seconds` to finish; true when it
// finished in time and the check held.
bool FinishesInTime(const std::function<bool()>& check, unsigned seconds) {
  const pid_t pid = fork();
  if (pid == 0) {
    alarm(seconds);
    _exit(check() ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A settings path that is a FIFO or leads to an endless device must not hang
// the start-up: such a file is no settings file (a FIFO would block the open
// for good, /dev/zero be read until memory runs out).
TEST(SettingsFault, AFifoOrAnEndlessDeviceDoesNotHang) {
  ScratchDir dir;
  ASSERT_EQ(mkfifo((dir / "fifo.reg").c_str(), 0644), 0);
  ASSERT_EQ(symlink("/dev/zero", (dir / "zero.reg").c_str()), 0);
  for (const std::string name : {"fifo.reg", "zero.reg"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(FinishesInTime(
        [&] {
          RegistryFile registry(dir / name);
          Settings settings(registry);
          settings.OpenSettingsKey("FARROW_TONVERT");
          return ReadFive(settings) == kDefaults;
        },
        10));
  }
}

}  // namespace
}  // namespace tonvert::test

namespace tonvert::test {
namespace {

// A managed dotfile whose target does not exist yet stays a link.
TEST(SettingsFault, ALinkToAFileNotYetMadeStaysALink) {
  ScratchDir dir;
  ASSERT_EQ(symlink((dir / "real.reg").c_str(), (dir / "tonvert.reg").c_str()), 0);
  RegistryFile registry(dir / "tonvert.reg");
  Settings settings(registry);
  settings.OpenSettingsKey("FARROW_TONVERT");
  settings.WriteSetting("rpp", "12");
  struct stat info;
  ASSERT_EQ(lstat((dir / "tonvert.reg").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(settings.ReadSetting("rpp", "64"), "12");
}

}  // namespace
}  // namespace tonvert::test
