#include "common/library_files.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <cstdlib>
#include <unistd.h>
#endif

#include "common/file_io.h"

namespace tonvert {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';

std::string ExecutablePath() {
  // Narrow like every other path of the program (the manifest makes it UTF-8).
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);
  }
}

std::string Parent(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}
#else
constexpr char kSeparator = '/';

std::string ExecutablePath() {
  std::string path(PATH_MAX, '\0');
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<size_t>(n) >= path.size()) return std::string();
  path.resize(static_cast<size_t>(n));
  return path;
}

std::string Parent(const std::string& path) {
  const size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool IsInside(const std::string& path, const char* folder) {
  char* real = realpath(folder, nullptr);
  if (real == nullptr) return false;
  const std::string prefix = std::string(real) + "/";
  std::free(real);
  return path.compare(0, prefix.size(), prefix) == 0;
}
#endif

bool Exists(const std::string& path) {
#ifdef _WIN32
  struct _stat64 info;
  return _stat64(path.c_str(), &info) == 0;
#else
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
#endif
}

}  // namespace

std::vector<std::string> LibraryFolders() {
  std::vector<std::string> folders;
  const std::string exe = ExecutablePath();
  if (exe.empty()) return folders;
#ifdef _WIN32
  folders.push_back(Parent(exe));
#else
  // PREFIX/bin/tonvert-cli -> PREFIX/share/tonvert/library, whatever the prefix.
  folders.push_back(Parent(Parent(exe)) + "/share/tonvert/library");
#if defined(TONVERT_BUILD_TREE) && defined(TONVERT_CHECKOUT_LIBRARY)
  if (IsInside(exe, TONVERT_BUILD_TREE)) folders.push_back(TONVERT_CHECKOUT_LIBRARY);
#endif
#endif
  return folders;
}

DefinitionFile FindDefinitionFile(const std::string& name) {
  if (Exists(name)) return {name, false};
  for (const std::string& folder : LibraryFolders()) {
    const std::string path = folder + kSeparator + name;
    if (ReadableFile::OpenRegular(path) != nullptr) return {path, true};
  }
  return {name, false};
}

}  // namespace tonvert
