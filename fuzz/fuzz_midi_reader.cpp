// The MIDI reader on arbitrary bytes. Beyond the sanitizers' checks, every read
// must give a song that makes sense on its own, and the same bytes must read the
// same whatever was read before.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "midi/midi_reader.h"

namespace tonvert::fuzz {
namespace {

// A small file that fills every field a read resets: notes on three channels,
// programs, a tempo, a name, an open note, SMPTE timing.
const uint8_t kPoison[] = {
    'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0xE7, 0x28,  // SMPTE division
    'M', 'T', 'r', 'k', 0, 0, 0, 36,
    0x00, 0xFF, 0x03, 0x02, 'p', 'z',                         // track name
    0x00, 0xFF, 0x51, 0x03, 0x01, 0x00, 0x00,                 // tempo 65536 us
    0x00, 0xC3, 0x2A,                                         // program 42 on channel 3
    0x00, 0x93, 0x40, 0x50,                                   // note on, channel 3
    0x10, 0x99, 0x24, 0x60,                                   // drum, left open
    0x20, 0x83, 0x40, 0x00,                                   // note off, channel 3
    0x05, 0x90, 0x3C, 0x7F,                                   // note on, channel 0, open
    0x00, 0xFF, 0x2F, 0x00};

// The song on its own: every stored note in range and consistent, the program
// list exactly the programs of the notes off the drum channel in order, the end
// the latest note time.
void CheckSong(const ReadResult& read) {
  const Song& s = read.song;
  if (!read.HasSong() && !s.notes.empty()) Fail("notes from a refused file");
  if (s.notes.size() > static_cast<size_t>(kMaxStoredNotes)) Fail("too many notes");
  if (s.noteLimitReached && s.notes.size() != static_cast<size_t>(kMaxStoredNotes))
    Fail("note limit without a full table");
  if (s.bpm < 0) Fail("negative bpm");
  int64_t songEnd = 0;
  std::vector<int32_t> programs;
  for (size_t i = 0; i < s.notes.size(); ++i) {
    const Note& e = s.notes[i];
    if (e.key < 0 || e.key > 127 || e.channel < 0 || e.channel > 15 || e.program < 0 || e.program > 127 ||
        e.velocity < 1 || e.velocity > 255)
      Fail("stored note out of range at " + std::to_string(i));
    if (e.start < 0 || e.track == 0) Fail("bad note record");
    if (e.closed ? (e.end < e.start || e.length != e.end - e.start) : (e.end != 0 || e.length != kOpenNoteLength))
      Fail("inconsistent note times at " + std::to_string(i));
    songEnd = std::max(songEnd, std::max(e.start, e.closed ? e.end : int64_t{0}));
    if (e.channel != kDrumChannel && std::find(programs.begin(), programs.end(), e.program) == programs.end())
      programs.push_back(e.program);
  }
  if (songEnd != s.end) Fail("the song's end is not the latest note time");
  if (programs != s.programs) Fail("the program list is not the notes' programs in order");
}

bool SameSong(const Song& a, const Song& b) {
  if (a.notes.size() != b.notes.size() || a.end != b.end || a.bpm != b.bpm || a.division != b.division ||
      a.noteLimitReached != b.noteLimitReached || a.programs != b.programs)
    return false;
  for (size_t i = 0; i < a.notes.size(); ++i) {
    const Note& x = a.notes[i];
    const Note& y = b.notes[i];
    if (x.start != y.start || x.end != y.end || x.length != y.length || x.key != y.key ||
        x.velocity != y.velocity || x.channel != y.channel || x.program != y.program || x.closed != y.closed ||
        x.track != y.track)
      return false;
  }
  return true;
}

}  // namespace
}  // namespace tonvert::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tonvert;
  using namespace tonvert::fuzz;
  const ReadResult read = ReadMidiBytes(data, size);
  CheckSong(read);
  // A read after another file reads the same: nothing is carried over.
  ReadMidiBytes(kPoison, sizeof kPoison);
  const ReadResult again = ReadMidiBytes(data, size);
  if (again.outcome != read.outcome || !SameSong(read.song, again.song))
    Fail("the same bytes read differently after another file");
  return 0;
}
