// The MIDI reader on arbitrary bytes. Beyond the sanitizers' checks, every read
// must leave a note table that makes sense on its own, and the same bytes must
// read the same whatever the state held before (the clean slate of a new run).
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

struct Snapshot {
  int32_t count;
  int64_t songEnd;
  int32_t songBpm, division;
  bool limit;
  std::vector<int32_t> programs;
  explicit Snapshot(const MidiState& s)
      : count(s.count), songEnd(s.SongEnd), songBpm(s.SongBpm), division(s.division),
        limit(s.noteLimitReached), programs(s.ProgramList) {}
  bool operator==(const Snapshot& o) const {
    return count == o.count && songEnd == o.songEnd && songBpm == o.songBpm && division == o.division &&
           limit == o.limit && programs == o.programs;
  }
};

void CheckMessages(const RecordingFrontEnd& ui, bool accepted) {
  if (ui.messages.size() > 1) Fail("more than one reader message");
  if (ui.messages.empty()) return;
  const Message& m = ui.messages[0];
  const bool unknown = m.text.rfind("Unknown format !! : ", 0) == 0;
  if (!unknown && m.text != "Abnormal EndOfFile encountered.") Fail("unexpected message: " + m.text);
  if (unknown == accepted || m.stopsRun != unknown) Fail("message and result disagree: " + m.text);
}

// The table on its own: every stored note in range and consistent, nothing
// stored past `count` (checked from count to the previous read's count: the
// rest was empty already), the program list exactly the notes' programs.
void CheckTable(const MidiState& s, int32_t previousCount) {
  if (s.count < 0 || s.count > kMaxStoredNotes) Fail("count out of range");
  if (s.noteLimitReached && s.count != kMaxStoredNotes) Fail("note limit without a full table");
  if (s.SongBpm < 0) Fail("negative SongBpm");
  int64_t songEnd = 0;
  std::vector<int32_t> programs;
  for (int32_t i = 0; i < s.count; ++i) {
    const NoteEvent& e = s.NoteTable[static_cast<size_t>(i)];
    if (e.note < 0 || e.note > 127 || e.channel < 0 || e.channel > 15 || e.program < 0 || e.program > 127 ||
        e.velocity < 1 || e.velocity > 255)
      Fail("stored note out of range at " + std::to_string(i));
    if (e.start < 0 || e.trackName >= s.trackNames.size() || e.track == 0) Fail("bad note record");
    if (e.closed ? (e.end < e.start || e.length != e.end - e.start) : (e.end != 0 || e.length != kOpenNoteLength))
      Fail("inconsistent note times at " + std::to_string(i));
    songEnd = std::max(songEnd, std::max(e.start, e.closed ? e.end : int64_t{0}));
    bool known = false;
    for (int32_t p : programs) known = known || p == e.program;
    if (!known) programs.push_back(e.program);
  }
  if (songEnd != s.SongEnd) Fail("SongEnd is not the latest note time");
  if (programs != s.ProgramList) Fail("ProgramList is not the notes' programs in order");
  const int32_t last = std::max(previousCount, s.count);
  for (int32_t i = s.count; i <= last && i < kNoteTableSize; ++i)
    if (s.NoteTable[static_cast<size_t>(i)].length != 0) Fail("a record past count is filled");
  if (s.NoteTable[kNoteTableSize - 1].length != 0) Fail("the last record is filled");
}

bool SameNotes(const MidiState& a, const MidiState& b) {
  if (!(Snapshot(a) == Snapshot(b)) || !a.DrumKeyList.empty() || !b.DrumKeyList.empty()) return false;
  for (int32_t i = 0; i < a.count; ++i) {
    const NoteEvent& x = a.NoteTable[static_cast<size_t>(i)];
    const NoteEvent& y = b.NoteTable[static_cast<size_t>(i)];
    if (x.start != y.start || x.end != y.end || x.length != y.length || x.note != y.note ||
        x.velocity != y.velocity || x.channel != y.channel || x.program != y.program || x.closed != y.closed ||
        a.TrackNameOf(x) != b.TrackNameOf(y))
      return false;
  }
  return true;
}

}  // namespace
}  // namespace tonvert::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tonvert;
  using namespace tonvert::fuzz;
  // Reused like the program reuses its state: `carried` holds the previous
  // input's notes, `poisoned` a small file of our own.
  static MidiState carried, poisoned;

  const Snapshot before(carried);
  RecordingFrontEnd ui;
  const bool accepted = ReadMidiBytes(data, size, carried, ui);
  CheckMessages(ui, accepted);
  if (!accepted) {
    if (!(Snapshot(carried) == before)) Fail("a refused header changed the state");
    return 0;
  }
  CheckTable(carried, before.count);

  RecordingFrontEnd poisonUi, secondUi;
  if (!ReadMidiBytes(kPoison, sizeof kPoison, poisoned, poisonUi)) Fail("the poison file was refused");
  const int32_t poisonCount = poisoned.count;
  if (!ReadMidiBytes(data, size, poisoned, secondUi)) Fail("the second read refused the file");
  CheckTable(poisoned, poisonCount);
  if (!SameNotes(carried, poisoned)) Fail("the same bytes read differently after another file");
  if (ui.messages.size() != secondUi.messages.size()) Fail("the same bytes gave other messages");
  return 0;
}
