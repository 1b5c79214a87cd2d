// What differs between the platforms the window runs on, apart from the
// toolkit: how a path text splits into folder and name for a requester, and
// where the output goes by default.
#pragma once

#include <string>
#include <vector>

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

// The MIDI file the window opens with ("Open with" passes one): the first
// argument that is not an option, "--" ending the options; "" when none.
std::string FirstFileArgument(const std::vector<std::string>& args);

}  // namespace tonvert
