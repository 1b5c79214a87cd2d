#include "fuzz_support.h"

#include "common/file_io.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace tonvert::fuzz {

namespace {

std::string MakeScratchFolder() {
  std::error_code ec;
  const std::string base = std::filesystem::is_directory("/dev/shm", ec)
                               ? std::string("/dev/shm")
                               : std::filesystem::temp_directory_path().string();
  std::string pattern = base + "/tonvert-fuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) Fail("cannot make a scratch folder under " + base);
  return pattern;
}

void RemoveScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(ScratchFolder(), ignored);
}

}  // namespace

const std::string& ScratchFolder() {
  // Never destroyed: the exit handler that removes the folder still needs it.
  static const std::string* const folder = [] {
    const auto* made = new std::string(MakeScratchFolder());
    std::atexit(RemoveScratchFolder);
    return made;
  }();
  return *folder;
}

std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = ScratchFolder() + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) Fail("cannot write " + path);
  const bool ok = (size == 0 || std::fwrite(data, 1, size, file) == size);
  if (std::fclose(file) != 0 || !ok) Fail("cannot write " + path);
  return path;
}

std::string WriteScratchFile(const std::string& name, const std::string& text) {
  return WriteScratchFile(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::string FileText(const std::string& path) {
  std::string text;
  return ReadWholeFile(path, text) ? text : std::string();
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "INVARIANT BROKEN: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

std::string RecordingFrontEnd::FieldText(Field field) {
  switch (field) {
    case Field::MidiPath:
      return midiPath;
    case Field::Rows:
      return rows;
    case Field::Ticks:
      return ticks;
    case Field::OutputPath:
      return outputPath;
  }
  return std::string();
}

}  // namespace tonvert::fuzz
