// The settings layer over the Linux settings file: what a first start and a
// close leave, the texts a user may store, the types another program may have
// stored, root names and key paths, what a rewrite keeps, and silent failures.
// More faults (unwritable folders, cut files, garbage, devices, links) are in
// tests/robustness/settings_fault_test.cpp.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

// The window's reads, in its order, with its defaults, from a fresh store.
std::vector<std::string> ReadFive(const std::string& path) {
  RegistryFile registry(path);
  Settings settings(registry);
  settings.OpenSettingsKey("FARROW_TONVERT");
  return {settings.ReadSetting("in", ""), settings.ReadSetting("rpp", "64"), settings.ReadSetting("ticks", "36"),
          settings.ReadSetting("mapper", ""), settings.ReadSetting("out", "c:/song.txt")};
}

TEST(settings, FirstStartCreatesTheKeyAndACloseWritesFiveValuesAFreshProcessReads) {
  TempDir dir;
  const std::string path = dir / "config/farrow/tonvert.reg";
  EXPECT_EQ(ReadFive(path), (std::vector<std::string>{"", "64", "36", "", "c:/song.txt"}));
  EXPECT_EQ(ReadFile(path), "REGEDIT4\r\n\r\n" + kSection + "\r\n");

  RegistryFile registry(path);
  Settings settings(registry);
  settings.OpenSettingsKey("FARROW_TONVERT");
  EXPECT_EQ(settings.SettingsKeyPath(), kKey);
  const std::string mapper = std::string(56, '1') + std::string(56, '0');
  const std::vector<std::string> names{"in", "out", "rpp", "ticks", "mapper"};
  const std::vector<std::string> texts{"/home/ann/midi/song.mid", "/home/ann/song.txt", "64", "36", mapper};
  for (size_t k = 0; k < names.size(); ++k) settings.WriteSetting(names[k], texts[k]);
  EXPECT_EQ(ReadFile(path), "REGEDIT4\r\n\r\n" + kSection +
                                "\"in\"=\"/home/ann/midi/song.mid\"\r\n\"out\"=\"/home/ann/song.txt\"\r\n"
                                "\"rpp\"=\"64\"\r\n\"ticks\"=\"36\"\r\n\"mapper\"=\"" + mapper + "\"\r\n\r\n");
  EXPECT_TRUE(InChildProcess([&] {
    return ReadFive(path) == std::vector<std::string>{texts[0], "64", "36", mapper, texts[1]};
  }));
}

TEST(settings, EmptyLongAndEscapedTextsRoundTrip) {
  TempDir dir;
  RegistryFile registry(dir / "tonvert.reg");
  Settings settings(registry);
  settings.OpenSettingsKey("FARROW_TONVERT");
  settings.WriteSetting("out", "");
  EXPECT_EQ(settings.ReadSetting("out", "c:/song.txt"), "c:/song.txt");  // stored empty: the default
  for (const std::string& text : {"/home/ann/" + std::string(1000, 'd') + "/song.mid", std::string("two\r\nlines\n"),
                                  std::string("C:\\dir \"q\"\\")}) {
    settings.WriteSetting("in", text);
    EXPECT_EQ(settings.ReadSetting("in", ""), text);
  }
  const std::string file = ReadFile(dir / "tonvert.reg");
  EXPECT_NE(file.find("\"out\"=\"\"\r\n\"in\"=\"C:\\\\dir \\\"q\\\"\\\\\"\r\n"), std::string::npos) << file;
}

TEST(settings, WithoutAConfigFolderReadsGiveDefaultsAndWritesAreLost) {
  EXPECT_EQ(SettingsFilePath("/x", "/home/ann"), "/x/farrow/tonvert.reg");
  EXPECT_EQ(SettingsFilePath("", "/home/ann"), "/home/ann/.config/farrow/tonvert.reg");
  EXPECT_EQ(SettingsFilePath("relative", "/home/ann"), "/home/ann/.config/farrow/tonvert.reg");
  EXPECT_EQ(SettingsFilePath(nullptr, nullptr), "");
  EXPECT_EQ(SettingsFilePath("", ""), "");
  RegistryFile none("");
  Settings settings(none);
  settings.OpenSettingsKey("FARROW_TONVERT");
  settings.WriteSetting("out", "/tmp/a.txt");
  EXPECT_EQ(settings.ReadSetting("out", "c:/song.txt"), "c:/song.txt");
}

TEST(settings, FileStoredTypesReadAsText) {
  TempDir dir;
  WriteFile(dir / "tonvert.reg",
            "REGEDIT4\n\n[" + kKey + "]\n\"rpp\"=dword:00000020\n\"all\"=dword:FFFFFFFF\n\"bin\"=hex:01,ab\n"
            "\"multi\"=hex(7):61,00,62,00,00\n\"expand\"=hex(2):25,48,4f,4d,45,25,\\\n  00\n"
            "\"q\"=hex(b):01,00,00,00,00,00,00,00\n\"bad\"=dword:123456789\n");
  RegistryFile registry(dir / "tonvert.reg");
  for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
           {"rpp", "32"}, {"all", "-1"}, {"bin", "01AB"}, {"multi", ""}, {"expand", "%HOME%"}, {"q", ""}, {"bad", ""}})
    EXPECT_EQ(registry.ReadRegistryValue(kKey, name), text) << name;
  Settings settings(registry);
  settings.OpenSettingsKey("FARROW_TONVERT");
  EXPECT_EQ(settings.ReadSetting("RPP", "64"), "32");
  EXPECT_EQ(settings.ReadSetting("multi", "default"), "default");
}

TEST(settings, FileRootNamesDoubledBackslashesAndMissingKeys) {
  EXPECT_EQ(RootKeyFromPath("hkey_local_machine\\SOFTWARE"), RootKey::kLocalMachine);
  EXPECT_EQ(RootKeyFromPath("HKLM\\SOFTWARE"), RootKey::kNone);
  EXPECT_EQ(SubkeyFromPath("HKEY_USERS\\\\a\\b\\"), "a\\b\\");
  TempDir dir;
  const std::string other = dir / "other.reg", path = dir / "tonvert.reg";
  RegistryFile registry(path);
  EXPECT_FALSE(registry.CreateRegistryKey("HKLM\\SOFTWARE\\Farrow"));
  EXPECT_FALSE(registry.WriteRegistryValue(kKey, "in", "x"));
  EXPECT_FALSE(test::FileExists(path)) << "a missing key: nothing written, nothing created";
  WriteFile(other, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Other]\r\n\r\n");
  EXPECT_FALSE(RegistryFile(other).WriteRegistryValue(kKey, "in", "x"));
  EXPECT_EQ(ReadFile(other), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Other]\r\n\r\n");
  EXPECT_TRUE(registry.CreateRegistryKey("hkey_local_machine\\\\software\\farrow\\FARROW_TONVERT"));
  EXPECT_TRUE(registry.WriteRegistryValue(kKey, "in", "a"));
  EXPECT_FALSE(registry.WriteRegistryValue("HKLM\\SOFTWARE\\Farrow\\FARROW_TONVERT", "in", "b"));
  EXPECT_EQ(registry.ReadRegistryValue("HKEY_LOCAL_MACHINE\\\\SOFTWARE\\Farrow\\FARROW_TONVERT", "IN"), "a");
  EXPECT_EQ(ReadFile(path),
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\software\\farrow\\FARROW_TONVERT]\r\n\"in\"=\"a\"\r\n\r\n");
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
}

TEST(settings, FileFailuresAreSilentAndLeaveTheFileWhole) {
  TempDir dir;
  // A folder that cannot be made: the path runs through a regular file.
  WriteFile(dir / "plain", "not a folder");
  EXPECT_EQ(ReadFive(dir / "plain/farrow/tonvert.reg"), (std::vector<std::string>{"", "64", "36", "", "c:/song.txt"}));
  EXPECT_EQ(ReadFile(dir / "plain"), "not a folder");
  // A file the user may not read is never replaced (as root it would be read).
  const std::string path = dir / "tonvert.reg";
  WriteFile(path, "secret");
  std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
  std::filesystem::permissions(path, std::filesystem::perms::none);
  EXPECT_TRUE(InChildProcess([&] {
    return setgid(65534) == 0 && setuid(65534) == 0 && !RegistryFile(path).CreateRegistryKey(kKey);
  }));
  EXPECT_EQ(ReadFile(path), "secret");
  // A write that fails half-way (the file size limit stands in for a full disk).
  const std::string before = "REGEDIT4\r\n\r\n" + kSection + "\"in\"=\"" + std::string(200, 'a') + "\"\r\n\r\n";
  WriteFile(path, before);
  EXPECT_TRUE(InChildProcess([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
           !RegistryFile(path).WriteRegistryValue(kKey, "in", std::string(300, 'b'));
  }));
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << "a temporary file is left";
}

}  // namespace
}  // namespace tonvert
