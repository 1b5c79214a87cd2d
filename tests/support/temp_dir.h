// A fresh folder per test, removed with everything in it at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tonvert::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);
void WriteFile(const std::string& path, const std::vector<uint8_t>& content);
std::string ReadFile(const std::string& path);  // "" when missing
std::vector<uint8_t> ReadBytes(const std::string& path);

// Runs a command through the shell; returns its exit status (or -1).
int RunCommand(const std::string& command);

}  // namespace tonvert::test
