// The settings on the real registry (wine's, in the tests' own prefix): the
// registry layer's type rules and failures, values of any length, and the
// user's key read with the machine key behind it.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>

#include "settings/registry_win32.h"
#include "settings/settings.h"

namespace tonvert {
namespace {

// A key of its own per test under both roots, removed afterwards.
class Win32RegistryTest : public ::testing::Test {
 protected:
  Win32RegistryTest() {
    std::random_device seed;
    subkey_ = "SOFTWARE\\FarrowTest\\T" + std::to_string(seed());
    user_ = "HKEY_CURRENT_USER\\" + subkey_;
    machine_ = "HKEY_LOCAL_MACHINE\\" + subkey_;
  }
  ~Win32RegistryTest() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, subkey_.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, subkey_.c_str());
  }

  // A value of any type, as another program would store it.
  static void SetRaw(HKEY root, const std::string& subkey, const std::string& name, DWORD type,
                     const std::string& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static bool KeyExists(HKEY root, const std::string& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }

  std::string subkey_, user_, machine_;
  Win32Registry registry_;
};

// --- The registry layer -------------------------------------------------------

TEST_F(Win32RegistryTest, CreatesAKeyThenWritesAndReadsText) {
  EXPECT_EQ(registry_.ReadRegistryValue(user_, "in"), "");
  ASSERT_TRUE(registry_.CreateRegistryKey(user_));
  ASSERT_TRUE(registry_.CreateRegistryKey(user_)) << "an existing key is opened";
  ASSERT_TRUE(registry_.WriteRegistryValue(user_, "in", "c:\\midi\\song \"1\".mid"));
  EXPECT_EQ(registry_.ReadRegistryValue(user_, "in"), "c:\\midi\\song \"1\".mid");
  ASSERT_TRUE(registry_.WriteRegistryValue(user_, "in", ""));
  EXPECT_EQ(registry_.ReadRegistryValue(user_, "in"), "");
}

TEST_F(Win32RegistryTest, ValuesOfAnyLengthReadBackWhole) {
  ASSERT_TRUE(registry_.CreateRegistryKey(user_));
  for (size_t length : {254u, 255u, 256u, 1024u, 100000u}) {
    const std::string path = "c:/" + std::string(length - 3, 'p');
    ASSERT_TRUE(registry_.WriteRegistryValue(user_, "out", path));
    EXPECT_EQ(registry_.ReadRegistryValue(user_, "out"), path) << length;
  }
}

TEST_F(Win32RegistryTest, WritingToAMissingKeyWritesNothingAndCreatesNothing) {
  EXPECT_FALSE(registry_.WriteRegistryValue(user_, "in", "x"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, subkey_));
}

TEST_F(Win32RegistryTest, ValueTypesReadAsTheSettingsReadThem) {
  SetRaw(HKEY_CURRENT_USER, subkey_, "dword", REG_DWORD, std::string("\x20\0\0\0", 4));
  SetRaw(HKEY_CURRENT_USER, subkey_, "minus", REG_DWORD, std::string("\xFF\xFF\xFF\xFF", 4));
  SetRaw(HKEY_CURRENT_USER, subkey_, "binary", REG_BINARY, std::string("\x01\xAB", 2));
  SetRaw(HKEY_CURRENT_USER, subkey_, "expand", REG_EXPAND_SZ, std::string("%PATH%\0", 7));
  SetRaw(HKEY_CURRENT_USER, subkey_, "multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
  SetRaw(HKEY_CURRENT_USER, subkey_, "unterminated", REG_SZ, "abc");
  EXPECT_EQ(registry_.ReadRegistryValue(user_, "dword"), "32");
  EXPECT_EQ(registry_.ReadRegistryValue(user_, "minus"), "-1");
  EXPECT_EQ(registry_.ReadRegistryValue(user_, "binary"), "01AB");
  EXPECT_EQ(registry_.ReadRegistryValue(user_, "expand"), "%PATH%") << "not expanded";
  EXPECT_EQ(registry_.ReadRegistryValue(user_, "multi"), "");
  EXPECT_EQ(registry_.ReadRegistryValue(user_, "unterminated"), "abc");
  EXPECT_EQ(registry_.ReadRegistryValue(user_, "missing"), "");
}

TEST_F(Win32RegistryTest, RootNamesIgnoreCaseButNotAbbreviationsAndADoubledBackslashIsOne) {
  ASSERT_TRUE(registry_.CreateRegistryKey("hkey_current_user\\" + subkey_));
  ASSERT_TRUE(registry_.WriteRegistryValue("HKEY_CURRENT_USER\\\\" + subkey_, "rpp", "32"));
  EXPECT_EQ(registry_.ReadRegistryValue(user_, "rpp"), "32");
  EXPECT_FALSE(registry_.CreateRegistryKey("HKCU\\" + subkey_ + "\\x"));
  EXPECT_FALSE(registry_.WriteRegistryValue("HKCU\\" + subkey_, "rpp", "1"));
  EXPECT_EQ(registry_.ReadRegistryValue("HKCU\\" + subkey_, "rpp"), "");
}

// --- The user's key with the machine key behind it ------------------------------

TEST_F(Win32RegistryTest, AValueMissingForTheUserIsReadFromTheMachineKey) {
  Win32Registry withFallback(true);
  SetRaw(HKEY_LOCAL_MACHINE, subkey_, "in", REG_SZ, std::string("c:/old.mid\0", 11));
  SetRaw(HKEY_LOCAL_MACHINE, subkey_, "rpp", REG_SZ, std::string("32\0", 3));
  EXPECT_EQ(withFallback.ReadRegistryValue(user_, "in"), "c:/old.mid") << "no user key at all";
  EXPECT_EQ(registry_.ReadRegistryValue(user_, "in"), "") << "only with the fallback";

  ASSERT_TRUE(withFallback.CreateRegistryKey(user_));
  ASSERT_TRUE(withFallback.WriteRegistryValue(user_, "in", "c:/new.mid"));
  ASSERT_TRUE(withFallback.WriteRegistryValue(user_, "rpp", ""));
  EXPECT_EQ(withFallback.ReadRegistryValue(user_, "in"), "c:/new.mid") << "the user's value wins";
  EXPECT_EQ(withFallback.ReadRegistryValue(user_, "rpp"), "") << "a stored empty text is held";
  EXPECT_EQ(withFallback.ReadRegistryValue(user_, "missing"), "");
  // The machine key is only read, never written.
  EXPECT_EQ(registry_.ReadRegistryValue(machine_, "in"), "c:/old.mid");
  // Other roots have nothing behind them.
  EXPECT_EQ(withFallback.ReadRegistryValue(machine_ + "\\none", "in"), "");
}

TEST(WindowsSettings, LiveUnderTheUsersKeyWithEarlierMachineSettingsBehind) {
  const std::string subkeyName = "FARROW_TONVERT_TEST_" + std::to_string(std::random_device()());
  const std::string subkey = "SOFTWARE\\Farrow\\" + subkeyName;
  {
    // What an earlier version left under the machine key.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "ticks", 0, REG_SZ, reinterpret_cast<const BYTE*>("72"), 3);
    RegSetValueExA(key, "out", 0, REG_SZ, reinterpret_cast<const BYTE*>("d:/old.txt"), 11);
    RegCloseKey(key);
  }
  std::unique_ptr<Registry> registry = CreatePlatformRegistry();
  Settings settings(*registry);
  settings.OpenSettingsKey(subkeyName);
  EXPECT_EQ(settings.SettingsKeyPath(), "HKEY_CURRENT_USER\\SOFTWARE\\Farrow\\" + subkeyName);
  EXPECT_EQ(settings.ReadSetting("ticks", "36"), "72");
  EXPECT_EQ(settings.ReadSetting("rpp", "64"), "64");
  settings.WriteSetting("ticks", "48");
  settings.WriteSetting("out", "");
  EXPECT_EQ(settings.ReadSetting("ticks", "36"), "48");
  EXPECT_EQ(settings.ReadSetting("out", "c:/song.txt"), "c:/song.txt")
      << "a stored empty text gives the default, not the machine's value";

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  char data[16] = {};
  DWORD size = sizeof data, type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "ticks", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::string(data, size), std::string("48\0", 3)) << "REG_SZ with its terminating zero";
  RegCloseKey(key);
  RegDeleteTreeA(HKEY_CURRENT_USER, subkey.c_str());
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, subkey.c_str());
}

}  // namespace
}  // namespace tonvert
