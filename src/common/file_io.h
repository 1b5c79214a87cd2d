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
  // The whole file; false when it cannot be read.
  bool ReadAll(std::string& out);

 private:
  ReadableFile(int fd, uint64_t size) : fd_(fd), size_(size) {}
  int fd_;
  uint64_t size_;
};

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
#endif

}  // namespace tonvert
