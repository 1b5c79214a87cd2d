// The registry store of platforms without a registry: one file in the registry
// editor's export format, read whole for every operation and replaced whole,
// atomically, for every change.
#pragma once

#include <string>

#include "settings/registry_text.h"
#include "settings/settings.h"

namespace tonvert {

// $XDG_CONFIG_HOME/farrow/tonvert.reg, else $HOME/.config/farrow/tonvert.reg; ""
// when neither is usable, and then there is no settings file at all. A relative
// XDG_CONFIG_HOME is ignored, as the XDG base directory rules ask: it would move
// the settings with the current folder.
std::string SettingsFilePath(const char* xdgConfigHome, const char* home);
std::string SettingsFilePathFromEnvironment();

class RegistryFile : public Registry {
 public:
  // An empty path is no file: reads give "", creating and writing fail.
  explicit RegistryFile(std::string filePath) : path_(std::move(filePath)) {}

  // Adds the key's section when it is missing, creating the file's folders.
  bool CreateRegistryKey(const std::string& path) override;
  std::string ReadRegistryValue(const std::string& path, const std::string& name) override;
  // Stores REG_SZ text. False, with the file untouched, when the key's section is
  // missing, the file cannot be read, or the new file cannot be put in place.
  bool WriteRegistryValue(const std::string& path, const std::string& name,
                          const std::string& text) override;

  const std::string& FilePath() const { return path_; }

 private:
  enum class Loaded { kYes, kNoFile, kFailed };
  Loaded Load(RegistryDocument& document) const;
  bool Store(const RegistryDocument& document, bool createFolders) const;

  std::string path_;
};

}  // namespace tonvert
