// What one read of a MIDI file leaves for the conversion: the notes, the programs
// they use, the song's end and tempo.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tonvert {

// Times count in thirds of a MIDI tick (3 x ticks). They are 64-bit so that
// large delta times in odd files never wrap into negative times.
struct NoteEvent {
  int64_t start = 0;
  int64_t end = 0;     // time of the note-off that closed it; 0 while open
  int64_t length = 0;  // end - start once closed; 100 while open; 0 in an empty record
  int32_t note = 0;
  int32_t velocity = 0;
  int32_t channel = 0;
  int32_t program = 0;
  uint32_t trackName = 0;  // index into MidiState::trackNames (0 is "")
  uint32_t track = 0;      // chunk the note was stored in
  bool closed = false;
};

constexpr int kNoteTableSize = 50001;  // consumers scan every index
constexpr int kMaxStoredNotes = 50000;  // the last record always stays empty
constexpr int64_t kOpenNoteLength = 100;

struct MidiState {
  // Fixed table of kNoteTableSize records; a record with length 0 is empty.
  std::vector<NoteEvent> NoteTable = std::vector<NoteEvent>(kNoteTableSize);
  int32_t count = 0;  // records filled by the last accepted read
  std::vector<int32_t> ProgramList;
  std::vector<int32_t> DrumKeyList;
  int64_t SongEnd = 0;
  int32_t SongBpm = 0;
  int32_t division = 0;           // header field of the last accepted file
  bool noteLimitReached = false;  // a note-on was met with the table full
  std::vector<std::string> trackNames{std::string()};

  const std::string& TrackNameOf(const NoteEvent& e) const { return trackNames[e.trackName]; }
};

}  // namespace tonvert
