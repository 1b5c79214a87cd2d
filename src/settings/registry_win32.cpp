#include "settings/registry_win32.h"

#include <windows.h>

#include <memory>

#include "settings/registry_types.h"

namespace tonvert {

namespace {

HKEY RootHandle(RootKey root) {
  switch (root) {
    case RootKey::kClassesRoot: return HKEY_CLASSES_ROOT;
    case RootKey::kCurrentUser: return HKEY_CURRENT_USER;
    case RootKey::kLocalMachine: return HKEY_LOCAL_MACHINE;
    case RootKey::kUsers: return HKEY_USERS;
    case RootKey::kCurrentConfig: return HKEY_CURRENT_CONFIG;
    case RootKey::kNone: break;
  }
  return nullptr;
}

enum class Lookup { kFound, kMissing, kUnreadable };

// One value of one key as text. kMissing only when the key or the value does
// not exist, so that a value that exists but cannot be read is not replaced by
// another key's.
Lookup QueryValue(HKEY root, const std::string& subkey, const std::string& name, std::string& text) {
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyA(root, subkey.c_str(), &key);
  if (opened != ERROR_SUCCESS) return opened == ERROR_FILE_NOT_FOUND ? Lookup::kMissing : Lookup::kUnreadable;
  Lookup result = Lookup::kUnreadable;
  DWORD type = REG_NONE, size = 0;
  LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) result = Lookup::kMissing;
  // The size is asked first and the whole value read, however long; the value
  // may grow in between, hence the retries.
  for (int attempt = 0; status == ERROR_SUCCESS && attempt < 4; ++attempt) {
    std::string data(size, '\0');
    DWORD got = size;
    status = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &got);
    if (status == ERROR_SUCCESS) {
      data.resize(got);
      text = RegistryValueText(type, data);
      result = Lookup::kFound;
      break;
    }
    if (status == ERROR_MORE_DATA) {
      size = got;
      status = ERROR_SUCCESS;
    }
  }
  RegCloseKey(key);
  return result;
}

}  // namespace

bool Win32Registry::CreateRegistryKey(const std::string& path) {
  const HKEY root = RootHandle(RootKeyFromPath(path));
  if (root == nullptr) return false;
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, SubkeyFromPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

std::string Win32Registry::ReadRegistryValue(const std::string& path, const std::string& name) {
  const RootKey rootKey = RootKeyFromPath(path);
  const HKEY root = RootHandle(rootKey);
  if (root == nullptr) return "";
  const std::string subkey = SubkeyFromPath(path);
  std::string text;
  const Lookup lookup = QueryValue(root, subkey, name, text);
  if (lookup == Lookup::kMissing && machineFallback_ && rootKey == RootKey::kCurrentUser)
    QueryValue(HKEY_LOCAL_MACHINE, subkey, name, text);
  return text;
}

bool Win32Registry::WriteRegistryValue(const std::string& path, const std::string& name,
                                       const std::string& text) {
  const HKEY root = RootHandle(RootKeyFromPath(path));
  if (root == nullptr) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, SubkeyFromPath(path).c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return false;
  RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
  return true;
}

std::unique_ptr<Registry> CreatePlatformRegistry() {
  return std::make_unique<Win32Registry>(true);
}

}  // namespace tonvert
