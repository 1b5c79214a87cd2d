#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>


namespace tonvert::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::error_code ec;
#ifdef _WIN32
  const fs::path base = fs::temp_directory_path();
#else
  // On tmpfs where there is one: some tests write thousands of documents.
  const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
#endif
  // A random name, taken only when the folder is new (Windows has no mkdtemp).
  std::random_device seed;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const fs::path candidate = base / ("tonvert-test-" + std::to_string(seed()));
    if (fs::create_directory(candidate, ec)) path_ = candidate.generic_string();
  }
  if (path_.empty()) throw std::runtime_error("cannot create a temporary folder under " + base.string());
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!(out << content)) throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& content) {
  WriteFile(path, std::string(content.begin(), content.end()));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  const std::string text = ReadFile(path);
  return std::vector<uint8_t>(text.begin(), text.end());
}

int RunCommand(const std::string& command) {
  const int status = std::system(command.c_str());
#ifdef _WIN32
  return status;  // the command interpreter's exit code as it is
#else
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

}  // namespace tonvert::test
