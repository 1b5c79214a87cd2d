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
  // O_NONBLOCK: a FIFO put in the file's place must not hang the window.
  const int fd = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? Loaded::kNoFile : Loaded::kFailed;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    // A folder, a FIFO or a device is not ours to read or to replace.
    close(fd);
    return Loaded::kFailed;
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return Loaded::kFailed;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  document = ParseRegistryText(content);
  return Loaded::kYes;
}

bool RegistryFile::Store(const RegistryDocument& document, bool createFolders) const {
  // A symbolic link (a managed dotfile, say) is kept: the file it points at is replaced.
  std::string target = path_;
  if (!ResolveSymlinks(target)) return false;
  const std::string folder = FolderOf(target);
  if (createFolders && !MakeFolders(folder)) return false;
  // The new text goes to a temporary file beside the old one and is renamed over
  // it, so the file is always either the old text or the new one, never a part.
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(attempt);
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  struct stat old;
  if (stat(target.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
  bool ok = WriteAll(fd, SerializeRegistryText(document)) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(temporary.c_str());
    return false;
  }
  // Makes the rename itself survive a crash; its failure loses nothing now.
  const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    fsync(folderFd);
    close(folderFd);
  }
  return true;
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
