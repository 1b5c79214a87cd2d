#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "settings/registry_file.h"
#include "support/temp_dir.h"

namespace tonvert {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Farrow\\FARROW_TONVERT";
const std::string kSection = "[" + kKey + "]\r\n";

// Runs check in a child process; true when it returned true there.
bool InChildProcess(const std::function<bool()>& check) {
  const pid_t pid = fork();
  if (pid == 0) _exit(check() ? 0 : 1);
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

// The window's reads, in its order, with its defaults.
std::vector<std::string> ReadFive(Settings& settings) {
  return {settings.ReadSetting("in", ""), settings.ReadSetting("rpp", "64"),
          settings.ReadSetting("ticks", "36"), settings.ReadSetting("mapper", ""),
          settings.ReadSetting("out", "c:/song.txt")};
}

TEST(settings, FirstStartCreatesTheKeyAndCloseWritesTheFiveValues) {
  TempDir dir;
  const std::string path = dir / "config/farrow/tonvert.reg";
  RegistryFile registry(path);
  Settings settings(registry);
  settings.OpenSettingsKey("FARROW_TONVERT");
  EXPECT_EQ(settings.SettingsKeyPath(), kKey);
  EXPECT_EQ(ReadFile(path), "REGEDIT4\r\n\r\n" + kSection + "\r\n");
  EXPECT_EQ(ReadFive(settings), (std::vector<std::string>{"", "64", "36", "", "c:/song.txt"}));

  const std::string mapper = std::string(56, '1') + std::string(56, '0');
  settings.WriteSetting("in", "/home/ann/midi/song.mid");
  settings.WriteSetting("out", "/home/ann/song.txt");
  settings.WriteSetting("rpp", "64");
  settings.WriteSetting("ticks", "36");
  settings.WriteSetting("mapper", mapper);
  EXPECT_EQ(ReadFile(path), "REGEDIT4\r\n\r\n" + kSection +
                                "\"in\"=\"/home/ann/midi/song.mid\"\r\n"
                                "\"out\"=\"/home/ann/song.txt\"\r\n"
                                "\"rpp\"=\"64\"\r\n\"ticks\"=\"36\"\r\n"
                                "\"mapper\"=\"" + mapper + "\"\r\n\r\n");
  const std::vector<std::string> expected{"/home/ann/midi/song.mid", "64", "36", mapper,
                                          "/home/ann/song.txt"};
  EXPECT_TRUE(InChildProcess([&] {
    RegistryFile fresh(path);
    Settings next(fresh);
    next.OpenSettingsKey("FARROW_TONVERT");
    return ReadFive(next) == expected;
  }));
}

TEST(settings, EmptyLongAndEscapedTextsRoundTrip) {
  TempDir dir;
  RegistryFile registry(dir / "tonvert.reg");
  Settings settings(registry);
  settings.OpenSettingsKey("FARROW_TONVERT");
  settings.WriteSetting("out", "");
  EXPECT_EQ(settings.ReadSetting("out", "c:/song.txt"), "c:/song.txt");
  EXPECT_NE(ReadFile(dir / "tonvert.reg").find("\"out\"=\"\"\r\n"), std::string::npos);

  const std::string longPath = "/home/ann/" + std::string(1000, 'd') + "/song.mid";
  const std::string escaped = "C:\\dir \"q\"\\";
  const std::string lines = "two\r\nlines\n";
  for (const std::string& text : {longPath, escaped, lines}) {
    settings.WriteSetting("in", text);
    EXPECT_EQ(settings.ReadSetting("in", ""), text);
  }
  settings.WriteSetting("in", escaped);
  EXPECT_NE(ReadFile(dir / "tonvert.reg").find("\"in\"=\"C:\\\\dir \\\"q\\\"\\\\\"\r\n"),
            std::string::npos);
}

TEST(settings, WithoutAConfigFolderReadsGiveDefaultsAndWritesAreLost) {
  EXPECT_EQ(SettingsFilePath("/x", "/home/ann"), "/x/farrow/tonvert.reg");
  EXPECT_EQ(SettingsFilePath("", "/home/ann"), "/home/ann/.config/farrow/tonvert.reg");
  EXPECT_EQ(SettingsFilePath("relative", "/home/ann"), "/home/ann/.config/farrow/tonvert.reg");
  EXPECT_EQ(SettingsFilePath("", ""), "");
  EXPECT_EQ(SettingsFilePath(nullptr, nullptr), "");

  RegistryFile none("");
  Settings settings(none);
  settings.OpenSettingsKey("FARROW_TONVERT");
  settings.WriteSetting("out", "/tmp/a.txt");
  EXPECT_EQ(settings.ReadSetting("out", "c:/song.txt"), "c:/song.txt");
}

TEST(settings, FileStoredTypesReadAsText) {
  TempDir dir;
  WriteFile(dir / "tonvert.reg",
            "REGEDIT4\n\n[" + kKey + "]\n\"rpp\"=dword:00000020\n\"all\"=dword:FFFFFFFF\n"
            "\"bin\"=hex:01,ab\n\"multi\"=hex(7):61,00,62,00,00\n"
            "\"expand\"=hex(2):25,48,4f,4d,45,25,\\\n  00\n\"q\"=hex(b):01,00,00,00,00,00,00,00\n"
            "\"bad\"=dword:123456789\n");
  RegistryFile registry(dir / "tonvert.reg");
  EXPECT_EQ(registry.ReadRegistryValue(kKey, "rpp"), "32");
  EXPECT_EQ(registry.ReadRegistryValue(kKey, "all"), "-1");
  EXPECT_EQ(registry.ReadRegistryValue(kKey, "bin"), "01AB");
  EXPECT_EQ(registry.ReadRegistryValue(kKey, "multi"), "");
  EXPECT_EQ(registry.ReadRegistryValue(kKey, "expand"), "%HOME%");
  EXPECT_EQ(registry.ReadRegistryValue(kKey, "q"), "");
  EXPECT_EQ(registry.ReadRegistryValue(kKey, "bad"), "");
  Settings settings(registry);
  settings.OpenSettingsKey("FARROW_TONVERT");
  EXPECT_EQ(settings.ReadSetting("RPP", "64"), "32");
  EXPECT_EQ(settings.ReadSetting("multi", "default"), "default");
}

TEST(settings, FileRootNamesAndDoubledBackslashes) {
  EXPECT_EQ(RootKeyFromPath("hkey_local_machine\\SOFTWARE"), RootKey::kLocalMachine);
  EXPECT_EQ(RootKeyFromPath("HKLM\\SOFTWARE"), RootKey::kNone);
  EXPECT_EQ(SubkeyFromPath("HKEY_USERS\\\\a\\b\\"), "a\\b\\");

  TempDir dir;
  const std::string path = dir / "tonvert.reg";
  RegistryFile registry(path);
  EXPECT_FALSE(registry.CreateRegistryKey("HKLM\\SOFTWARE\\Farrow"));
  EXPECT_FALSE(test::FileExists(path));
  EXPECT_TRUE(registry.CreateRegistryKey("hkey_local_machine\\\\software\\farrow\\FARROW_TONVERT"));
  EXPECT_TRUE(registry.WriteRegistryValue(kKey, "in", "a"));
  EXPECT_FALSE(registry.WriteRegistryValue("HKLM\\SOFTWARE\\Farrow\\FARROW_TONVERT", "in", "b"));
  EXPECT_EQ(registry.ReadRegistryValue("HKEY_LOCAL_MACHINE\\\\SOFTWARE\\Farrow\\FARROW_TONVERT", "IN"), "a");
  EXPECT_EQ(ReadFile(path), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\software\\farrow\\FARROW_TONVERT]\r\n"
                            "\"in\"=\"a\"\r\n\r\n");
}

TEST(settings, FileWritingToAMissingKeyWritesAndCreatesNothing) {
  TempDir dir;
  const std::string path = dir / "tonvert.reg";
  RegistryFile registry(path);
  EXPECT_FALSE(registry.WriteRegistryValue(kKey, "in", "x"));
  EXPECT_FALSE(test::FileExists(path));
  const std::string other = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Other]\r\n\"in\"=\"y\"\r\n\r\n";
  WriteFile(path, other);
  EXPECT_FALSE(registry.WriteRegistryValue(kKey, "in", "x"));
  EXPECT_EQ(ReadFile(path), other);
}

TEST(settings, FileRewriteKeepsOtherKeysAndUnknownLinesAndWritesToTheLastDuplicate) {
  TempDir dir;
  const std::string target = dir / "dotfiles.reg";
  WriteFile(target, "; by hand\n[HKEY_CURRENT_USER\\Other]\n\"keep\"=hex:01,02,\\\n  03\njunk\n\n\n"
                    "[hkey_local_machine\\software\\farrow\\farrow_tonvert]\n\"in\"=\"first\"\n; C:\\\n"
                    "\"rpp\"=\"10\"\n[" + kKey + "]\n\"In\"=\"second\"");
  std::filesystem::create_symlink(target, dir / "tonvert.reg");
  RegistryFile registry(dir / "tonvert.reg");
  EXPECT_EQ(registry.ReadRegistryValue(kKey, "in"), "second");
  EXPECT_EQ(registry.ReadRegistryValue(kKey, "rpp"), "10");
  EXPECT_TRUE(registry.WriteRegistryValue(kKey, "IN", "third"));
  EXPECT_TRUE(registry.WriteRegistryValue(kKey, "rpp", "11"));
  EXPECT_EQ(ReadFile(target),
            "REGEDIT4\r\n\r\n; by hand\r\n\r\n[HKEY_CURRENT_USER\\Other]\r\n"
            "\"keep\"=hex:01,02,\\\r\n  03\r\njunk\r\n\r\n"
            "[hkey_local_machine\\software\\farrow\\farrow_tonvert]\r\n\"in\"=\"first\"\r\n; C:\\\r\n"
            "\"rpp\"=\"10\"\r\n\r\n[" + kKey + "]\r\n\"In\"=\"third\"\r\n\"rpp\"=\"11\"\r\n\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "tonvert.reg"));
  EXPECT_EQ(registry.ReadRegistryValue("HKEY_CURRENT_USER\\Other", "keep"), "010203");
}

TEST(settings, FileFailuresAreSilentAndLeaveTheFileWhole) {
  TempDir dir;
  WriteFile(dir / "plain", "not a folder");
  RegistryFile underFile(dir / "plain/farrow/tonvert.reg");
  Settings settings(underFile);
  settings.OpenSettingsKey("FARROW_TONVERT");
  settings.WriteSetting("rpp", "12");
  EXPECT_EQ(settings.ReadSetting("rpp", "64"), "64");
  EXPECT_EQ(ReadFile(dir / "plain"), "not a folder");

  // A file the user may not read is never replaced (the child drops root, which
  // would read it anyway).
  std::filesystem::create_directory(dir / "sub");
  std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
  std::filesystem::permissions(dir / "sub", std::filesystem::perms::all);
  WriteFile(dir / "sub/tonvert.reg", "secret");
  std::filesystem::permissions(dir / "sub/tonvert.reg", std::filesystem::perms::none);
  EXPECT_TRUE(InChildProcess([&] {
    RegistryFile unreadable(dir / "sub/tonvert.reg");
    return setgid(65534) == 0 && setuid(65534) == 0 && !unreadable.CreateRegistryKey(kKey);
  }));
  EXPECT_EQ(ReadFile(dir / "sub/tonvert.reg"), "secret");
  EXPECT_EQ(FolderEntries(dir / "sub"), std::vector<std::string>{"tonvert.reg"});

  // A write that fails half-way (the file size limit stands in for a full disk).
  const std::string path = dir / "tonvert.reg";
  const std::string before = "REGEDIT4\r\n\r\n" + kSection + "\"in\"=\"" + std::string(200, 'a') + "\"\r\n\r\n";
  WriteFile(path, before);
  EXPECT_TRUE(InChildProcess([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    RegistryFile registry(path);
    return setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
           !registry.WriteRegistryValue(kKey, "in", std::string(300, 'b'));
  }));
  EXPECT_EQ(ReadFile(path), before);
  std::vector<std::string> left = FolderEntries(dir.path());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"plain", "sub", "tonvert.reg"}));
}

}  // namespace
}  // namespace tonvert
