// The settings' registry layer on the Windows registry itself.
#pragma once

#include <string>

#include "settings/settings.h"

namespace tonvert {

class Win32Registry : public Registry {
 public:
  // With `machineFallback`, a value that a key under HKEY_CURRENT_USER does not
  // hold (the value or the whole key missing) is read from the same subkey under
  // HKEY_LOCAL_MACHINE: settings that earlier versions kept there still appear,
  // while every write goes to the user's own key.
  explicit Win32Registry(bool machineFallback = false) : machineFallback_(machineFallback) {}

  // Creates or opens the key with full access.
  bool CreateRegistryKey(const std::string& path) override;
  // Values of any length are read whole.
  std::string ReadRegistryValue(const std::string& path, const std::string& name) override;
  // REG_SZ text with its terminating zero; false when the key cannot be opened
  // with full access (it is not created then). The write's own outcome is not
  // examined.
  bool WriteRegistryValue(const std::string& path, const std::string& name,
                          const std::string& text) override;

 private:
  bool machineFallback_;
};

}  // namespace tonvert
