// What differs between the platforms the window runs on, apart from the
// toolkit: how a path text splits into folder and name for a requester, and
// where the output goes by default.
#pragma once

#include <string>

#include "shell/toolkit.h"

namespace tonvert {

struct ShellPlatform {
  char folderSeparator = '/';
  std::string defaultOutputPath = "song.txt";
};

// "song.txt" in the home folder as a full path; the relative "song.txt" when
// HOME is unset or empty.
ShellPlatform LinuxShellPlatform(const char* home);
// Split at "\"; the output goes to the drive root.
ShellPlatform WindowsShellPlatform();

struct ProposedFile {
  std::string folder;  // "" when the text holds no separator
  std::string name;    // "" when the name may not be proposed
};

// Splits at the last separator. A name that is empty or holds a control
// character or one of  " * / : < > ? \ |  is not proposed: such a name cannot
// be a file name on Windows, and the requesters reject it.
ProposedFile SplitProposedFile(const std::string& text, char separator);

// The requesters behind the two Browse buttons.
FileRequest MidiFileRequest(const std::string& midiPathText, char separator);
FileRequest OutputFileRequest();

}  // namespace tonvert
