// Helpers of the malformed-input and fault tests: whole runs in process and
// through tonvert-cli, on definition files of our own.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "convert/conversion.h"
#include "document_check.h"
#include "support/fake_front_end.h"
#include "support/midi_builder.h"
#include "support/temp_dir.h"

namespace tonvert::test {

using ScratchDir = TempDir;

// Names in a folder, sorted, without "." and "..".
std::vector<std::string> FolderEntries(const std::string& folder);

// Every program 0-127 and the drum keys 35-81, all well formed; written into
// the folder as instruments.ini and drums.ini.
void WriteDefinitions(const std::string& folder);
// The drum keys those definitions write into cells.
check::DocumentExpectations DocumentRules(int rowsPerPattern = 64);

// A format-1 song of our own: a conductor track (name, tempo, time signature,
// text), a melody with programs, a chord track in running status with a sysex,
// a drum track with an open note: every kind of event the reader knows.
Bytes MultiTrackSong();

struct InProcessResult {
  RunOutcome outcome = RunOutcome::Stopped;
  std::vector<std::string> messages;  // texts, in order
  std::vector<std::string> warnings;  // of the closing report
  std::string document;               // "" unless written
  std::string rowsText;
};

// One run as the window makes it, the MIDI bytes written to song.mid in the
// folder (which holds the definitions), the document to out.txt.
InProcessResult RunInProcess(const std::string& folder, const Bytes& midi, const std::string& rows = "64",
                             const std::string& ticks = "36", const std::set<Option>& runOptions = {});

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

// tonvert-cli ARGS in the folder, `prefix` (ulimit, timeout) before it;
// standard output and error are captured.
CliResult RunCli(const std::string& folder, const std::string& args, const std::string& prefix = "");

// "" when the document holds every invariant, else why not.
std::string DocumentProblem(const std::string& document, int rowsPerPattern = 64);

}  // namespace tonvert::test
