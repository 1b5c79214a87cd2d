// Reading files without surprises: only regular files are opened (a folder, a
// pipe or a device is refused without blocking), and reads are positioned so the
// caller can seek freely.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tonvert {

class ReadableFile {
 public:
  // Null when the path is empty, cannot be opened, or is not a regular file;
  // then *whyNot, when given, says why ("Permission denied", "is a folder").
  static std::unique_ptr<ReadableFile> OpenRegular(const std::string& path, std::string* whyNot = nullptr);
  ~ReadableFile();
  ReadableFile(const ReadableFile&) = delete;
  ReadableFile& operator=(const ReadableFile&) = delete;

  uint64_t size() const { return size_; }
  // Reads up to n bytes at pos; returns how many were read (0 at or past the end).
  size_t ReadAt(uint64_t pos, uint8_t* out, size_t n);

 private:
  ReadableFile(int fd, uint64_t size) : fd_(fd), size_(size) {}
  int fd_;
  uint64_t size_;
};

// A whole regular file (never a folder, a pipe or a device, so nothing blocks);
// false when it cannot be read, with *whyNot, when given, saying why.
bool ReadWholeFile(const std::string& path, std::string& out, std::string* whyNot = nullptr);

// The system's text for an errno value.
std::string SystemReason(int error);

// The folder part of a path ("." for a bare name, "/" for a name at the root).
std::string FolderOf(const std::string& path);

#ifndef _WIN32
// Writes everything or reports false (a full disk, a closed pipe).
bool WriteAll(int fd, const std::string& text);
// Follows symbolic links to the path finally meant, also when the last link
// points to a file not yet made; false on a loop or an unreadable link, with
// errno telling which.
bool ResolveSymlinks(std::string& path);

// Replaces (or creates) the regular file at `path`, which names no link, so
// that it is always either the old text or the new one, never a part: the
// text goes to a temporary file beside it that is renamed over it. An existing
// file keeps its mode and, where we may, its owner; a new one gets 0666 less
// the umask. `durable` also syncs the file and its folder to the disk. False,
// with errno telling why, leaves the old file and no temporary one.
bool ReplaceFile(const std::string& path, const std::string& text, bool durable);
#endif

}  // namespace tonvert
