// Where the definition files come from when the user names none: the current
// folder's own, else the library installed with the program, so a song
// converts from any folder without copying the library there.
#pragma once

#include <string>
#include <vector>

namespace tonvert {

struct DefinitionFile {
  std::string path;
  bool fromLibrary = false;
};

// `name` is "instruments.ini" or "drums.ini". A file of that name in the
// current folder wins, even one that cannot be read; else the library's copy
// when it is a readable file; else the bare name, which reads as no file.
DefinitionFile FindDefinitionFile(const std::string& name);

// The folders searched for the library, best first: on Windows the program's
// own folder; elsewhere PREFIX/share/tonvert/library beside PREFIX/bin, and
// the checkout's library/ for a program run from its build tree.
std::vector<std::string> LibraryFolders();

}  // namespace tonvert
