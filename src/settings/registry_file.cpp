#include "settings/registry_file.h"

#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace tonvert {

namespace {

// Like mkdir -p; new folders are private to the user, as config folders should be.
bool MakeFolders(const std::string& folder) {
  for (size_t end = 1; end <= folder.size(); ++end) {
    if (end < folder.size() && folder[end] != '/') continue;
    const std::string prefix = folder.substr(0, end);
    if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat info;
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string SettingsFilePath(const char* xdgConfigHome, const char* home) {
  const std::string name = "/farrow/tonvert.reg";
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') return xdgConfigHome + name;
  if (home != nullptr && home[0] != '\0') return home + std::string("/.config") + name;
  return "";
}

std::string SettingsFilePathFromEnvironment() {
  return SettingsFilePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

RegistryFile::Loaded RegistryFile::Load(RegistryDocument& document) const {
  if (path_.empty()) return Loaded::kFailed;
  struct stat info;
  if (stat(path_.c_str(), &info) != 0) return errno == ENOENT || errno == ENOTDIR ? Loaded::kNoFile : Loaded::kFailed;
  // A folder, a FIFO or a device is not ours to read or to replace.
  std::string content;
  if (!ReadWholeFile(path_, content)) return Loaded::kFailed;
  document = ParseRegistryText(content);
  return Loaded::kYes;
}

bool RegistryFile::Store(const RegistryDocument& document, bool createFolders) const {
  // A symbolic link (a managed dotfile, say) is kept: the file it points at is replaced.
  std::string target = path_;
  if (!ResolveSymlinks(target)) return false;
  if (createFolders && !MakeFolders(FolderOf(target))) return false;
  // Only a regular file (or none yet) is replaced: a FIFO or a device put in
  // its place stays as it is.
  struct stat info;
  if (stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) return false;
  return ReplaceFile(target, SerializeRegistryText(document), true);
}

bool RegistryFile::CreateRegistryKey(const std::string& path) {
  const RootKey root = RootKeyFromPath(path);
  const std::string subkey = SubkeyFromPath(path);
  RegistryDocument document;
  // An unreadable file must not be replaced by one that lacks its contents.
  if (root == RootKey::kNone || Load(document) == Loaded::kFailed) return false;
  if (document.HasKey(root, subkey)) return true;
  return document.AddKey(root, subkey) && Store(document, true);
}

std::string RegistryFile::ReadRegistryValue(const std::string& path, const std::string& name) {
  const RootKey root = RootKeyFromPath(path);
  RegistryDocument document;
  if (root == RootKey::kNone || Load(document) != Loaded::kYes) return "";
  const RegistryValue* value = document.FindValue(root, SubkeyFromPath(path), name);
  return value == nullptr ? "" : RegistryValueText(value->type, value->data);
}

bool RegistryFile::WriteRegistryValue(const std::string& path, const std::string& name,
                                      const std::string& text) {
  const RootKey root = RootKeyFromPath(path);
  RegistryDocument document;
  if (root == RootKey::kNone || Load(document) != Loaded::kYes) return false;
  RegistryValue value;
  value.type = kRegSz;
  value.data = text + '\0';
  return document.SetValue(root, SubkeyFromPath(path), name, value) && Store(document, false);
}

std::unique_ptr<Registry> CreatePlatformRegistry() {
  return std::make_unique<RegistryFile>(SettingsFilePathFromEnvironment());
}

}  // namespace tonvert
