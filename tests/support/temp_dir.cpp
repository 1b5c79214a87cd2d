#include "support/temp_dir.h"

#ifdef _WIN32
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#else
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tonvert::test {

#ifdef _WIN32
TempDir::TempDir() {
  // No mkdtemp there: a random name, taken only when the folder is new.
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate = base / ("tonvert-test-" + std::to_string(random()));
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) {
      path_ = candidate.generic_string();
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}
#else
TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tonvert-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}
#endif

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
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

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

#ifdef _WIN32
int RunCommand(const std::string& command) {
  // The command interpreter's exit code as it is.
  return std::system(command.c_str());
}

int FtCheck(const std::string& path) {
  // The checker is a Python program of the build machine, which a program
  // under wine cannot start. The document is queued instead, named after the
  // test, and the build machine checks every queued document once the tests
  // have run (a test of its own that fails on any document the tracker would
  // not import).
  static std::atomic<int> count{0};
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "document";
  for (char& c : name)
    if (std::string("/\\:*?\"<>|").find(c) != std::string::npos) c = '_';
  std::filesystem::create_directories(TONVERT_FTCHECK_QUEUE);
  const std::string queued =
      std::string(TONVERT_FTCHECK_QUEUE) + "/" + name + "-" + std::to_string(++count) + ".txt";
  std::error_code ec;
  std::filesystem::copy_file(path, queued, std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) std::fprintf(stderr, "cannot queue %s for the document checker\n", path.c_str());
  return ec ? 1 : 0;
}
#else
int RunCommand(const std::string& command) {
  const int status = std::system(command.c_str());
  if (status == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

int FtCheck(const std::string& path) {
  // Quiet when the document imports; the checker's first error otherwise.
  const std::string log = path + ".ftcheck";
  const int status = RunCommand(std::string(TONVERT_PYTHON) + " " + TONVERT_FTCHECK + " '" + path +
                                "' >'" + log + "' 2>&1");
  if (status != 0) std::fprintf(stderr, "%s", ReadFile(log).c_str());
  std::remove(log.c_str());
  return status;
}
#endif

}  // namespace tonvert::test
