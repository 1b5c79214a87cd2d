// One conversion run: the MIDI file named by the front end in, one FamiTracker
// text export out. Its stages, each a function of the values before it:
//   ReadMidiFile -> Song -> BuildInstrumentSet -> PlaceNotes -> WriteDocument -> output file
#pragma once

#include <array>
#include <optional>
#include <string>

#include "common/front_end.h"
#include "convert/channel_map.h"
#include "convert/placement.h"
#include "midi/midi_reader.h"

namespace tonvert {

struct RunOptions {
  // The definition files; the window passes the bare names (current folder).
  std::string instrumentsPath = "instruments.ini";
  std::string drumsPath = "drums.ini";
  // The command line's "-o -": the document goes to standard output.
  bool dashWritesStdout = false;
  // The command line's "-m auto": right after reading, the run fills this with
  // the suggested mapping (which the front end's routing then answers from)
  // and reports Stage::Mapper.
  ChannelAssignment* autoMapping = nullptr;
  // The command line's --summary: filled with what the run kept.
  std::string* summary = nullptr;
  // The command line's --transpose: semitones per tracker channel.
  std::array<int, kTrackerChannelCount> transpose{};
};

enum class RunOutcome {
  Written,   // the document was written, the path put on the clipboard
  Canceled,  // empty output path: "Canceled." was shown, nothing written
  Stopped,   // a message stopped the run; nothing written
};

// The message a read of `path` leads to, if any: the reader itself shows nothing.
std::optional<Message> ReadMessage(const ReadResult& read, const std::string& path);

// The grid from the front end's ticks and rows fields, read in that order;
// nothing (after its message) when they cannot make one. A typed ticks value
// far from the file's own sixteenth gives `ticksWarning` the report's warning.
std::optional<Grid> ReadGrid(const Song& song, FrontEnd& frontEnd, std::string* ticksWarning = nullptr);

// Every run starts from a clean slate: nothing of an earlier run is kept.
RunOutcome RunConversion(FrontEnd& frontEnd, const RunOptions& options = {});

}  // namespace tonvert
