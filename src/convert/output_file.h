// Writing the document so that a failure never loses a file: the text goes to a
// temporary file beside the target, which replaces the target only once it is
// complete.
#pragma once

#include <string>

namespace tonvert {

// False when the document could not be written; the target is then unchanged
// and no temporary file is left. A symbolic link stays a link (the file it
// points to is replaced); a character device is written directly; any other
// target that is not a regular file, a target the user may not write, and the
// same file as `inputPath` are refused. On failure *whyNot, when given, says
// why: the system's text ("Permission denied") or "is a folder", "is not a
// regular file", "is the MIDI file".
bool WriteOutputFile(const std::string& path, const std::string& document, const std::string& inputPath,
                     std::string* whyNot = nullptr);

// Standard output; false on any write error (a closed pipe included).
bool WriteStandardOutput(const std::string& document, std::string* whyNot = nullptr);

}  // namespace tonvert
