// The Standard MIDI File reader: fills the note table, the program list, the
// song's end and tempo. It shows its own messages through the front end and tells
// its caller whether the conversion may go on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/front_end.h"
#include "midi/note_table.h"

namespace tonvert {

// False after "Bad file" or "Unknown format !! : ..." (nothing usable was read);
// true otherwise, also after "Abnormal EndOfFile encountered.".
bool ReadMidiFile(const std::string& path, MidiState& state, FrontEnd& frontEnd);
bool ReadMidiBytes(const uint8_t* data, size_t size, MidiState& state, FrontEnd& frontEnd);

}  // namespace tonvert
