#include "convert/output_file.h"

#include "common/file_io.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <random>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tonvert {

namespace {

bool Refuse(std::string* whyNot, std::string reason) {
  if (whyNot != nullptr) *whyNot = std::move(reason);
  return false;
}

}  // namespace

#ifndef _WIN32

namespace {

bool SameFile(const struct stat& a, const std::string& otherPath) {
  struct stat b;
  return !otherPath.empty() && stat(otherPath.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

// errno tells why when it fails.
bool WriteDevice(const std::string& path, const std::string& document) {
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = WriteAll(fd, document);
  const int error = errno;
  if (close(fd) != 0) return false;
  errno = error;
  return ok;
}

// The reason of the last failed call; EIO for a write that only came up short.
std::string LastReason() { return SystemReason(errno != 0 ? errno : EIO); }

}  // namespace

bool WriteOutputFile(const std::string& requested, const std::string& document,
                     const std::string& inputPath, std::string* whyNot) {
  if (requested.empty()) return Refuse(whyNot, SystemReason(ENOENT));
  std::string path = requested;
  if (!ResolveSymlinks(path)) return Refuse(whyNot, LastReason());

  struct stat existing;
  const bool exists = stat(path.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) return Refuse(whyNot, LastReason());
  if (exists) {
    if (SameFile(existing, inputPath)) return Refuse(whyNot, "is the MIDI file");
    if (S_ISCHR(existing.st_mode)) {
      errno = 0;
      return WriteDevice(path, document) || Refuse(whyNot, LastReason());
    }
    if (S_ISDIR(existing.st_mode)) return Refuse(whyNot, "is a folder");
    if (!S_ISREG(existing.st_mode)) return Refuse(whyNot, "is not a regular file");
    if (access(path.c_str(), W_OK) != 0) return Refuse(whyNot, LastReason());
  }
  // No sync to the disk: the rename alone keeps the replacement whole, and a
  // sync would cost more than the conversion.
  errno = 0;
  return ReplaceFile(path, document, false) || Refuse(whyNot, LastReason());
}

bool WriteStandardOutput(const std::string& document, std::string* whyNot) {
  errno = 0;
  return WriteAll(STDOUT_FILENO, document) || Refuse(whyNot, LastReason());
}

#else  // _WIN32

namespace {

// The system's text for a Windows error code, without its closing ".\r\n".
std::string WindowsReason(DWORD error) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string reason = n > 0 && text != nullptr ? std::string(text, n) : "error " + std::to_string(error);
  LocalFree(text);
  while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == ' ' ||
                             reason.back() == '.'))
    reason.pop_back();
  return reason;
}

// The reason of the last failed call; a write that only came up short has none.
std::string LastReason() {
  const DWORD error = GetLastError();
  return WindowsReason(error != 0 ? error : ERROR_WRITE_FAULT);
}

// Bytes as they are: the document holds its own CR LF, which a text-mode
// write would turn into CR CR LF.
bool WriteAll(HANDLE file, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, text.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// Everything up to and including the last separator, or a bare drive ("c:"),
// so that a temporary name appended to it lands in the target's folder.
std::string FolderPrefix(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  if (cut != std::string::npos) return path.substr(0, cut + 1);
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  return "";
}

struct FileIdentity {
  DWORD volume = 0, indexHigh = 0, indexLow = 0;
  bool operator==(const FileIdentity& o) const {
    return volume == o.volume && indexHigh == o.indexHigh && indexLow == o.indexLow;
  }
};

// Opens an existing file or folder without asking for any access, following
// links; INVALID_HANDLE_VALUE when there is none.
HANDLE OpenForQuery(const std::string& path) {
  return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool Identity(HANDLE file, FileIdentity& id, DWORD& attributes) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return false;
  id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  attributes = info.dwFileAttributes;
  return true;
}

bool SameFile(const FileIdentity& a, const std::string& otherPath) {
  if (otherPath.empty()) return false;
  const HANDLE other = OpenForQuery(otherPath);
  if (other == INVALID_HANDLE_VALUE) return false;
  FileIdentity b;
  DWORD attributes = 0;
  const bool same = Identity(other, b, attributes) && a == b;
  CloseHandle(other);
  return same;
}

// The path a link finally names, in the "\\?\C:\..." form.
bool FinalPath(HANDLE file, std::string& path) {
  std::string buffer(MAX_PATH, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD n = GetFinalPathNameByHandleA(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return false;
    if (n < buffer.size()) {
      path.assign(buffer.data(), n);
      return true;
    }
    buffer.assign(n + 1, '\0');
  }
  return false;
}

bool WriteDevice(const std::string& path, const std::string& document) {
  const HANDLE device = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (device == INVALID_HANDLE_VALUE) return false;
  const bool ok = WriteAll(device, document);
  return CloseHandle(device) && ok;
}

}  // namespace

bool WriteOutputFile(const std::string& requested, const std::string& document,
                     const std::string& inputPath, std::string* whyNot) {
  if (requested.empty()) return Refuse(whyNot, WindowsReason(ERROR_PATH_NOT_FOUND));
  std::string path = requested;

  const HANDLE existing = OpenForQuery(path);
  if (existing == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // Only a missing file is created; a missing folder, a bad name or a denied
    // look is a target that cannot be written.
    if (error != ERROR_FILE_NOT_FOUND) return Refuse(whyNot, WindowsReason(error));
  } else {
    FileIdentity id;
    DWORD attributes = 0;
    const DWORD type = GetFileType(existing);
    bool device = false;
    std::string refusal;
    if (type == FILE_TYPE_CHAR) {
      device = true;  // NUL, CON and the like
    } else if (!Identity(existing, id, attributes)) {
      refusal = LastReason();
    } else if (SameFile(id, inputPath)) {
      refusal = "is the MIDI file";
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      refusal = "is a folder";
    } else if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      refusal = WindowsReason(ERROR_ACCESS_DENIED);
    } else {
      // The handle follows links; the path's own attributes tell a link, and
      // then the file it points to is replaced, the link stays.
      const DWORD own = GetFileAttributesA(path.c_str());
      if (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
          !FinalPath(existing, path))
        refusal = LastReason();
    }
    CloseHandle(existing);
    if (!refusal.empty()) return Refuse(whyNot, refusal);
    if (device) {
      SetLastError(0);
      return WriteDevice(path, document) || Refuse(whyNot, LastReason());
    }
  }

  // A short name beside the target: a move within one folder replaces the target
  // at once.
  const std::string prefix = FolderPrefix(path);
  std::random_device seed;
  std::mt19937 random(seed());
  std::string temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temp = prefix + ".tonvert-" + std::to_string(random() % 1000000000u);
    file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return Refuse(whyNot, LastReason());
  }
  if (file == INVALID_HANDLE_VALUE) return Refuse(whyNot, LastReason());
  SetLastError(0);
  bool ok = WriteAll(file, document);
  std::string reason = ok ? "" : LastReason();
  if (!CloseHandle(file) && ok) {
    ok = false;
    reason = LastReason();
  }
  if (ok && !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    ok = false;
    reason = LastReason();
  }
  if (ok) return true;
  DeleteFileA(temp.c_str());
  return Refuse(whyNot, reason);
}

bool WriteStandardOutput(const std::string& document, std::string* whyNot) {
  // Binary mode, or every LF of the document's CR LF gains another CR.
  std::fflush(stdout);
  if (_setmode(_fileno(stdout), _O_BINARY) == -1) return Refuse(whyNot, SystemReason(errno));
  size_t done = 0;
  while (done < document.size()) {
    const unsigned chunk = static_cast<unsigned>(std::min<size_t>(document.size() - done, 1u << 30));
    const int n = _write(_fileno(stdout), document.data() + done, chunk);
    if (n <= 0) return Refuse(whyNot, SystemReason(n < 0 ? errno : EIO));
    done += static_cast<size_t>(n);
  }
  return true;
}

#endif  // _WIN32

}  // namespace tonvert
