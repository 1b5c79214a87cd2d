// The texts Tonvert remembers between runs, kept as named text values of one
// registry key. The registry layer below is an interface: a file in the registry
// editor's export format on Linux, the real registry on Windows.
#pragma once

#include <memory>
#include <string>
#include <utility>

namespace tonvert {

class Registry {
 public:
  virtual ~Registry() = default;
  // Key paths start with a root name ("HKEY_LOCAL_MACHINE\SOFTWARE\...").
  virtual bool CreateRegistryKey(const std::string& path) = 0;
  // Empty text when the value cannot be read.
  virtual std::string ReadRegistryValue(const std::string& path, const std::string& name) = 0;
  // False when the key does not exist (nothing is written or created then).
  virtual bool WriteRegistryValue(const std::string& path, const std::string& name,
                                  const std::string& text) = 0;
};

// The registry of the platform the program runs on (on Linux the settings file in
// the user's config folder, or no store at all when no such folder is known).
std::unique_ptr<Registry> CreatePlatformRegistry();

// The folder of the settings key. Windows keeps it under HKEY_CURRENT_USER,
// which a standard user may write (its registry layer reads values missing there
// from HKEY_LOCAL_MACHINE); the Linux store keeps the machine path it always had.
constexpr const char* kMachineSettingsFolder = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Farrow\\";
constexpr const char* kUserSettingsFolder = "HKEY_CURRENT_USER\\SOFTWARE\\Farrow\\";
#ifdef _WIN32
constexpr const char* kPlatformSettingsFolder = kUserSettingsFolder;
#else
constexpr const char* kPlatformSettingsFolder = kMachineSettingsFolder;
#endif

class Settings {
 public:
  explicit Settings(Registry& registry, std::string keyFolder = kPlatformSettingsFolder)
      : registry_(registry), keyFolder_(std::move(keyFolder)) {}

  void OpenSettingsKey(const std::string& subkeyName);
  // The stored text, or defaultText when it is missing, empty or unreadable.
  std::string ReadSetting(const std::string& name, const std::string& defaultText);
  // Failures are silent.
  void WriteSetting(const std::string& name, const std::string& text);

  const std::string& SettingsKeyPath() const { return keyPath_; }

 private:
  Registry& registry_;
  std::string keyFolder_;
  std::string keyPath_;
};

}  // namespace tonvert
