// What one read of a MIDI file gives the conversion: the notes, the programs
// they use, the song's end and tempo.
#pragma once

#include <cstdint>
#include <vector>

namespace tonvert {

// Times count in thirds of a MIDI tick (3 x ticks): a row can then be 3/4 of a
// quarter note's ticks exactly for the common divisions. They are 64-bit so
// that large delta times in odd files never wrap into negative times.
struct Note {
  int64_t start = 0;
  int64_t end = 0;     // time of the note-off that closed it; 0 while open
  int64_t length = 0;  // end - start once closed; kOpenNoteLength while open
  int32_t key = 0;     // MIDI note number 0-127
  int32_t velocity = 0;
  int32_t channel = 0;  // MIDI channel 0-15
  int32_t program = 0;  // the channel's program when the note started
  uint32_t track = 0;   // chunk the note was stored in, from 1
  bool closed = false;
};

constexpr int kMaxStoredNotes = 50000;
// Placement reports its progress over this many note slots whatever the song
// holds, so the window's status steps come at the same moments for every file.
constexpr int kNoteSlots = kMaxStoredNotes + 1;
constexpr int64_t kOpenNoteLength = 100;
constexpr int kDrumChannel = 9;  // MIDI channel 10

// A Set Tempo event: from its time on, a quarter note lasts this long.
struct TempoChange {
  int64_t time = 0;  // in thirds of a tick, like the notes
  uint32_t microsecondsPerQuarter = 0;
};

struct Song {
  std::vector<Note> notes;         // in the order their note-ons were read
  std::vector<int32_t> programs;   // distinct programs of the notes, first use first
  int64_t end = 0;                 // the latest note start or note-off
  int32_t bpm = 0;                 // from the last Set Tempo; 0 without one (120 applies)
  std::vector<TempoChange> tempos; // every Set Tempo of every track, in the order read
  int32_t division = 0;            // the header's ticks per quarter note (or SMPTE form)
  bool noteLimitReached = false;   // a note-on was met with kMaxStoredNotes stored
};

}  // namespace tonvert
