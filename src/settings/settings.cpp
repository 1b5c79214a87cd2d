#include "settings/settings.h"

namespace tonvert {

void Settings::OpenSettingsKey(const std::string& subkeyName) {
  keyPath_ = keyFolder_ + subkeyName;
  // Failure is silent: every read then gives its default and writes are lost.
  registry_.CreateRegistryKey(keyPath_);
}

std::string Settings::ReadSetting(const std::string& name, const std::string& defaultText) {
  // A stored empty text gives the default as well.
  std::string text = registry_.ReadRegistryValue(keyPath_, name);
  return text.empty() ? defaultText : text;
}

void Settings::WriteSetting(const std::string& name, const std::string& text) {
  registry_.WriteRegistryValue(keyPath_, name, text);
}

}  // namespace tonvert
