// The settings on the real registry (wine's, in the tests' own prefix): the
// user's key read with the machine key behind it. Root names, key paths and how
// each value type reads are shared with the Linux store and tested there.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>

#include "settings/registry_win32.h"
#include "settings/settings.h"

namespace tonvert {
namespace {

// A settings key of its own per test under both roots, removed afterwards.
class Win32RegistryTest : public ::testing::Test {
 protected:
  ~Win32RegistryTest() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, subkey.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, subkey.c_str());
  }

  const std::string name = "FARROW_TONVERT_TEST_" + std::to_string(std::random_device()());
  const std::string subkey = "SOFTWARE\\Farrow\\" + name;
  const std::string user = "HKEY_CURRENT_USER\\" + subkey, machine = "HKEY_LOCAL_MACHINE\\" + subkey;
  Win32Registry registry;
};

TEST_F(Win32RegistryTest, SettingsLiveUnderTheUsersKeyWithEarlierMachineSettingsBehind) {
  HKEY key = nullptr;  // what an earlier version left under the machine key
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, subkey.c_str(), &key), 0);
  RegSetValueExA(key, "ticks", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\x48\0\0\0"), 4);
  RegSetValueExA(key, "out", 0, REG_SZ, reinterpret_cast<const BYTE*>("d:/old.txt"), 11);
  RegCloseKey(key);
  EXPECT_EQ(Win32Registry(true).ReadRegistryValue(user, "ticks"), "72") << "no user key at all";
  std::unique_ptr<Registry> platform = CreatePlatformRegistry();
  Settings settings(*platform);
  settings.OpenSettingsKey(name);
  EXPECT_EQ(settings.ReadSetting("ticks", "36"), "72");
  settings.WriteSetting("ticks", "48");
  settings.WriteSetting("out", "");
  EXPECT_EQ(settings.ReadSetting("ticks", "36"), "48") << "the user's value wins";
  EXPECT_EQ(settings.ReadSetting("out", "c:/song.txt"), "c:/song.txt") << "a stored empty text, not the machine's";
  EXPECT_EQ(registry.ReadRegistryValue(machine, "ticks"), "72") << "the machine key is only read";
}

}  // namespace
}  // namespace tonvert
