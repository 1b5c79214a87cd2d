#include "convert/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace tonvert {

namespace {

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Follows symbolic links to the path that is finally written; false on a loop.
bool ResolveLinks(std::string& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    std::string target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
    const ssize_t n = readlink(path.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) return false;
    target.resize(static_cast<size_t>(n));
    path = target[0] == '/' ? target : FolderOf(path) + "/" + target;
  }
  return false;
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

bool SameFile(const struct stat& a, const std::string& otherPath) {
  struct stat b;
  return !otherPath.empty() && stat(otherPath.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

bool WriteDevice(const std::string& path, const std::string& document) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = WriteAll(fd, document);
  return close(fd) == 0 && ok;
}

}  // namespace

bool WriteOutputFile(const std::string& requested, const std::string& document,
                     const std::string& inputPath) {
  if (requested.empty()) return false;
  std::string path = requested;
  if (!ResolveLinks(path)) return false;

  struct stat existing;
  const bool exists = stat(path.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) return false;
  mode_t mode = NewFileMode();
  if (exists) {
    if (SameFile(existing, inputPath)) return false;
    if (S_ISCHR(existing.st_mode)) return WriteDevice(path, document);
    if (!S_ISREG(existing.st_mode)) return false;
    if (access(path.c_str(), W_OK) != 0) return false;
    mode = existing.st_mode & 07777;
  }

  // A short name beside the target: a rename within one folder is atomic.
  std::string temp = FolderOf(path) + "/.tonvert-XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  bool ok = WriteAll(fd, document) && fchmod(fd, mode) == 0;
  if (ok && exists) {
    // Keep the old owner where we may (as root); elsewhere this fails harmlessly.
    [[maybe_unused]] const int ignored = fchown(fd, existing.st_uid, existing.st_gid);
  }
  ok = close(fd) == 0 && ok;
  if (ok && rename(temp.c_str(), path.c_str()) == 0) return true;
  unlink(temp.c_str());
  return false;
}

bool WriteStandardOutput(const std::string& document) {
  return WriteAll(STDOUT_FILENO, document);
}

}  // namespace tonvert
