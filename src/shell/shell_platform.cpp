#include "shell/shell_platform.h"

#include <cstring>

namespace tonvert {

ShellPlatform LinuxShellPlatform(const char* home) {
  ShellPlatform platform;
  platform.folderSeparator = '/';
  if (home == nullptr || *home == '\0') {
    platform.defaultOutputPath = "song.txt";
  } else {
    std::string folder = home;
    if (folder.back() != '/') folder += '/';
    platform.defaultOutputPath = folder + "song.txt";
  }
  return platform;
}

ShellPlatform WindowsShellPlatform() {
  ShellPlatform platform;
  platform.folderSeparator = '\\';
  platform.defaultOutputPath = "c:/song.txt";
  return platform;
}

namespace {

bool IsProposableName(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name)
    if (c < 32 || std::strchr("\"*/:<>?\\|", c) != nullptr) return false;
  return true;
}

}  // namespace

ProposedFile SplitProposedFile(const std::string& text, char separator) {
  ProposedFile proposed;
  std::string name = text;
  const size_t cut = text.rfind(separator);
  if (cut != std::string::npos) {
    // A separator in front names the root folder, not "no folder".
    proposed.folder = cut == 0 ? std::string(1, separator) : text.substr(0, cut);
    name = text.substr(cut + 1);
  }
  if (IsProposableName(name)) proposed.name = name;
  return proposed;
}

FileRequest MidiFileRequest(const std::string& midiPathText, char separator) {
  FileRequest request;
  request.title = "";
  const ProposedFile proposed = SplitProposedFile(midiPathText, separator);
  request.folder = proposed.folder;
  request.name = proposed.name;
  request.filters = {{"MIDI", "*.MID"}};
  request.selectedFilter = 0;
  return request;
}

FileRequest OutputFileRequest() {
  FileRequest request;
  request.title = "Please choose file to save";
  // Always this name, whatever the output field holds.
  request.name = "song.txt";
  request.filters = {{"Text (*.txt)", "*.txt"}, {"All files (*.*)", "*.*"}};
  request.selectedFilter = 0;
  return request;
}

std::string FirstFileArgument(const std::vector<std::string>& args) {
  bool options = true;
  for (const std::string& arg : args) {
    if (options && arg == "--")
      options = false;
    else if (!arg.empty() && (!options || arg[0] != '-'))
      return arg;
  }
  return std::string();
}

}  // namespace tonvert
