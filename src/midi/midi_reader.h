// The Standard MIDI File reader: bytes in, a Song out. It shows nothing itself;
// the run turns its outcome into messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "midi/song.h"

namespace tonvert {

enum class ReadOutcome {
  Read,           // the whole file was read
  CutShort,       // the file ended inside a track: the song holds what came before
  NotOpened,      // no regular file could be opened: no song
  UnknownFormat,  // no "MThd" header of length 6: no song
};

struct ReadResult {
  ReadOutcome outcome = ReadOutcome::Read;
  Song song;
  // UnknownFormat: the four bytes found and the length they announce.
  std::string headerId;
  uint32_t headerLength = 0;
  // NotOpened: why, in the system's words where it has some.
  std::string whyNotOpened;

  bool HasSong() const { return outcome == ReadOutcome::Read || outcome == ReadOutcome::CutShort; }
};

ReadResult ReadMidiFile(const std::string& path);
ReadResult ReadMidiBytes(const uint8_t* data, size_t size);

}  // namespace tonvert
