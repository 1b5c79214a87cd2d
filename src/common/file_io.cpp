#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

namespace tonvert {

namespace {

std::unique_ptr<ReadableFile> Refuse(std::string* whyNot, std::string reason) {
  if (whyNot != nullptr) *whyNot = std::move(reason);
  return nullptr;
}

}  // namespace

std::string SystemReason(int error) {
  const char* text = std::strerror(error);
  return text != nullptr ? text : "error " + std::to_string(error);
}

std::unique_ptr<ReadableFile> ReadableFile::OpenRegular(const std::string& path, std::string* whyNot) {
  if (path.empty()) return Refuse(whyNot, SystemReason(ENOENT));
#ifdef _WIN32
  int fd = _open(path.c_str(), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    const int error = errno;
    struct _stat64 info;
    // Windows refuses to open a folder at all; say what it is.
    if (_stat64(path.c_str(), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR)
      return Refuse(whyNot, "is a folder");
    return Refuse(whyNot, SystemReason(error));
  }
  struct _stat64 info;
  if (_fstat64(fd, &info) != 0) {
    const int error = errno;
    _close(fd);
    return Refuse(whyNot, SystemReason(error));
  }
  if ((info.st_mode & _S_IFMT) != _S_IFREG) {
    _close(fd);
    return Refuse(whyNot, (info.st_mode & _S_IFMT) == _S_IFDIR ? "is a folder" : "is not a regular file");
  }
#else
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Refuse(whyNot, SystemReason(errno));
  struct stat info;
  if (fstat(fd, &info) != 0) {
    const int error = errno;
    close(fd);
    return Refuse(whyNot, SystemReason(error));
  }
  if (!S_ISREG(info.st_mode)) {
    close(fd);
    return Refuse(whyNot, S_ISDIR(info.st_mode) ? "is a folder" : "is not a regular file");
  }
#endif
  return std::unique_ptr<ReadableFile>(
      new ReadableFile(fd, static_cast<uint64_t>(info.st_size)));
}

ReadableFile::~ReadableFile() {
#ifdef _WIN32
  _close(fd_);
#else
  close(fd_);
#endif
}

size_t ReadableFile::ReadAt(uint64_t pos, uint8_t* out, size_t n) {
  size_t done = 0;
  while (done < n) {
#ifdef _WIN32
    if (_lseeki64(fd_, static_cast<__int64>(pos + done), SEEK_SET) < 0) break;
    const unsigned chunk = static_cast<unsigned>(n - done > (1u << 30) ? (1u << 30) : n - done);
    const int got = _read(fd_, out + done, chunk);
#else
    const ssize_t got = pread(fd_, out + done, n - done, static_cast<off_t>(pos + done));
    if (got < 0 && errno == EINTR) continue;
#endif
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

bool ReadWholeFile(const std::string& path, std::string& out, std::string* whyNot) {
  const std::unique_ptr<ReadableFile> file = ReadableFile::OpenRegular(path, whyNot);
  if (!file) return false;
  out.resize(static_cast<size_t>(file->size()));
  const size_t got = file->ReadAt(0, reinterpret_cast<uint8_t*>(out.data()), out.size());
  out.resize(got);
  if (got == file->size()) return true;
  if (whyNot != nullptr) *whyNot = SystemReason(EIO);
  return false;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

#ifndef _WIN32
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

bool ResolveSymlinks(std::string& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    std::string target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
    const ssize_t n = readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return false;
    if (n == 0 || static_cast<size_t>(n) >= target.size()) {
      errno = EIO;  // the link changed while it was read
      return false;
    }
    target.resize(static_cast<size_t>(n));
    path = target[0] == '/' ? target : FolderOf(path) + "/" + target;
  }
  errno = ELOOP;
  return false;
}

bool ReplaceFile(const std::string& path, const std::string& text, bool durable) {
  struct stat old;
  const bool exists = stat(path.c_str(), &old) == 0;
  mode_t mode;
  if (exists) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  // A short name beside the target: a rename within one folder is atomic.
  const std::string folder = FolderOf(path);
  std::string temp = folder + "/.tonvert-XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  errno = 0;
  bool ok = WriteAll(fd, text) && fchmod(fd, mode) == 0 && (!durable || fsync(fd) == 0);
  int error = errno != 0 ? errno : EIO;
  if (ok && exists) {
    // Keep the old owner where we may (as root); elsewhere this fails harmlessly.
    [[maybe_unused]] const int ignored = fchown(fd, old.st_uid, old.st_gid);
  }
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    errno = error;
    return false;
  }
  if (durable) {
    // Makes the rename itself survive a crash; its failure loses nothing now.
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
      fsync(folderFd);
      close(folderFd);
    }
  }
  return true;
}
#endif

}  // namespace tonvert
