#include "midi/midi_reader.h"

#include <algorithm>
#include <array>
#include <memory>

#include "common/file_io.h"
#include "midi/byte_reader.h"

namespace tonvert {

namespace {

// What one event does to the song, known once all of its bytes are read.
struct Event {
  enum class Kind { Nothing, NoteOn, NoteOff, Program, Tempo, EndOfTrack };
  Kind kind = Kind::Nothing;
  int channel = 0;
  int number = 0;    // the key of a note event, the program of a program change
  int velocity = 0;  // note-on only
  uint32_t microsecondsPerQuarter = 0;
};

// The event readers consume an event's bytes and say what it does; they never
// change the song. Bytes past the end read as 0.

Event ReadChannelEvent(ByteReader& in, uint8_t status) {
  Event event;
  event.channel = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80:
    case 0x90: {
      const uint8_t key = in.Next();
      const uint8_t velocity = in.Next();
      if (key > 127) break;
      // A note-on of velocity 0 is the usual shorthand for a note-off.
      event.kind = (status & 0xF0) == 0x90 && velocity > 0 ? Event::Kind::NoteOn : Event::Kind::NoteOff;
      event.number = key;
      event.velocity = velocity;
      break;
    }
    case 0xC0: {
      const uint8_t program = in.Next();
      if (program > 127) break;
      event.kind = Event::Kind::Program;
      event.number = program;
      break;
    }
    case 0xD0:
      in.Next();
      break;
    default:  // 0xA0, 0xB0, 0xE0
      in.Next();
      in.Next();
      break;
  }
  return event;
}

Event ReadMetaEvent(ByteReader& in) {
  Event event;
  const uint8_t type = in.Next();
  switch (type) {
    case 0x00:  // sequence number: the short form has no number
      if (in.Next() != 0) in.BigEndian(2);
      break;
    case 0x2F:
      in.Next();
      event.kind = Event::Kind::EndOfTrack;
      break;
    case 0x51: {
      in.Next();  // the length byte does not change how much follows
      const uint32_t tempo = in.BigEndian(3);
      // A tempo of 0 has no meaning; the song keeps the tempo it had.
      if (tempo != 0) {
        event.kind = Event::Kind::Tempo;
        event.microsecondsPerQuarter = tempo;
      }
      break;
    }
    // These have fixed lengths: their length byte is not trusted.
    case 0x54:
      in.Skip(1 + 5);
      break;
    case 0x58:
      in.Skip(1 + 4);
      break;
    case 0x59:
      in.Skip(1 + 2);
      break;
    default:
      in.Skip(in.VarLen());
      break;
  }
  return event;
}

Event ReadSystemEvent(ByteReader& in, uint8_t status) {
  switch (status) {
    case 0xF0:
    case 0xF7:
      in.Skip(in.VarLen());
      break;
    case 0xF1:
    case 0xF3:
      in.Next();
      break;
    case 0xF2:
      in.Next();
      in.Next();
      break;
    case 0xF6:
    case 0xF8:
    case 0xF9:
    case 0xFA:
    case 0xFB:
    case 0xFC:
    case 0xFE:
      break;
    case 0xFF:
      return ReadMetaEvent(in);
    default:  // 0xF4, 0xF5, 0xFD, and 0 before any channel status: skipped like sysex data
      in.VarLen();
      break;
  }
  return Event();
}

class Reader {
 public:
  explicit Reader(ByteReader& in) : in_(in) {}
  ReadResult Read();

 private:
  enum class TrackEnd { EndOfTrack, EndOfFile, TableFull };

  TrackEnd ReadTrack();
  bool Apply(const Event& event);  // false when the note table is full
  void StoreNote(int channel, int key, int velocity);
  void CloseNote(int channel, int key);

  ByteReader& in_;
  Song song_;
  uint32_t format_ = 0;
  int64_t time_ = 0;  // MIDI ticks since the song's start
  uint8_t runningStatus_ = 0;
  std::array<int32_t, 16> programs_{};  // current program per MIDI channel
  uint32_t track_ = 0;
  size_t trackFirstNote_ = 0;  // first note stored in the current track
};

ReadResult Reader::Read() {
  ReadResult result;
  const std::string id = in_.Text(4);
  const uint32_t length = in_.BigEndian(4);
  if (id != "MThd" || length != 6) {
    result.outcome = ReadOutcome::UnknownFormat;
    result.headerId = id;
    result.headerLength = length;
    return result;
  }
  format_ = in_.BigEndian(2);
  uint32_t tracksLeft = in_.BigEndian(2);
  song_.division = static_cast<int32_t>(in_.BigEndian(2));
  // Header fields cut by the end read as 0 without a message.
  in_.ClearPastEnd();
  in_.Seek(8 + length);
  // A note takes at least three bytes: room for every note the file can hold,
  // so the table never moves while it fills (pages are only touched as used).
  song_.notes.reserve(static_cast<size_t>(std::min<uint64_t>(kMaxStoredNotes, in_.size() / 3)));

  while (tracksLeft != 0 && result.outcome == ReadOutcome::Read) {
    const std::string chunkId = in_.Text(4);
    if (chunkId.empty()) {
      result.outcome = ReadOutcome::CutShort;
      break;
    }
    const uint32_t chunkLength = in_.BigEndian(4);
    in_.ClearPastEnd();
    --tracksLeft;  // any chunk type uses up one announced track
    if (chunkId == "MTrk") {
      // The track ends at its End of Track event, not at its announced length.
      const TrackEnd end = ReadTrack();
      if (end == TrackEnd::EndOfFile) result.outcome = ReadOutcome::CutShort;
      if (end == TrackEnd::TableFull) break;
    } else {
      const uint64_t next = in_.position() + chunkLength;
      if (next < in_.size()) in_.Seek(next);
    }
  }
  result.song = std::move(song_);
  return result;
}

Reader::TrackEnd Reader::ReadTrack() {
  // Format-1 tracks run side by side from time 0; a format-2 file holds
  // independent sequences, played one after the other, so each track starts
  // where the previous one ended.
  if (format_ != 2) time_ = 0;
  trackFirstNote_ = song_.notes.size();
  ++track_;
  for (;;) {
    const int64_t delta = in_.VarLen();
    uint8_t status = in_.Next();
    if (status < 0x80) {
      in_.Seek(in_.position() - 1);
      status = runningStatus_;
    }
    // Status 0 is a data byte met before any status: ReadSystemEvent skips it.
    const Event event = status >= 0x80 && status < 0xF0 ? ReadChannelEvent(in_, status) : ReadSystemEvent(in_, status);
    // The one rule of a cut file: an event cut by its end has no effect at all.
    if (in_.pastEnd()) return TrackEnd::EndOfFile;
    time_ += delta;
    // Sysex, meta and system events neither set nor cancel the running status.
    if (status >= 0x80 && status != 0xF0 && status != 0xF7 && status != 0xFF) runningStatus_ = status;
    if (!Apply(event)) return TrackEnd::TableFull;
    if (event.kind == Event::Kind::EndOfTrack) return TrackEnd::EndOfTrack;
  }
}

bool Reader::Apply(const Event& event) {
  switch (event.kind) {
    case Event::Kind::NoteOn:
      if (song_.notes.size() >= static_cast<size_t>(kMaxStoredNotes)) {
        song_.noteLimitReached = true;
        return false;
      }
      StoreNote(event.channel, event.number, event.velocity);
      break;
    case Event::Kind::NoteOff:
      CloseNote(event.channel, event.number);
      break;
    case Event::Kind::Program:
      programs_[static_cast<size_t>(event.channel)] = event.number;
      break;
    case Event::Kind::Tempo:
      // Rounded to the nearest beat, halves up: 666,667 us is 90, not 89.
      song_.bpm = static_cast<int32_t>((uint64_t{120000000} + event.microsecondsPerQuarter) /
                                       (uint64_t{2} * event.microsecondsPerQuarter));
      song_.tempos.push_back({3 * time_, event.microsecondsPerQuarter});
      break;
    case Event::Kind::Nothing:
    case Event::Kind::EndOfTrack:
      break;
  }
  return true;
}

void Reader::StoreNote(int channel, int key, int velocity) {
  Note note;
  note.start = 3 * time_;
  note.length = kOpenNoteLength;
  note.key = key;
  note.velocity = velocity;
  note.channel = channel;
  note.track = track_;
  note.program = programs_[static_cast<size_t>(channel)];
  song_.end = std::max(song_.end, note.start);
  // Drums play drum instruments: their channel's program would take an
  // instrument slot that no cell uses.
  if (channel != kDrumChannel &&
      std::find(song_.programs.begin(), song_.programs.end(), note.program) == song_.programs.end())
    song_.programs.push_back(note.program);
  song_.notes.push_back(note);
}

void Reader::CloseNote(int channel, int key) {
  const int64_t t = 3 * time_;
  // The newest open note of this key on this channel in this track: a note-off
  // never reaches into another channel or track, nor reopens a closed note, so
  // repeated notes pair up first-in-last-out as they sound. One exception:
  // sequencers often write a re-struck key's note-on before the old note's
  // note-off at the same tick, so a note begun just now gives way to an older
  // open one; alone, it is closed at length 0.
  Note* target = nullptr;
  for (size_t i = song_.notes.size(); i-- > trackFirstNote_;) {
    Note& note = song_.notes[i];
    if (note.key != key || note.channel != channel || note.closed) continue;
    const bool newestBegunNow = target == nullptr && note.start == t;
    target = &note;
    if (!newestBegunNow) break;
  }
  if (target == nullptr) return;
  target->end = t;
  target->length = t - target->start;
  target->closed = true;
  song_.end = std::max(song_.end, t);
}

}  // namespace

ReadResult ReadMidiBytes(const uint8_t* data, size_t size) {
  ByteReader in(data, size);
  return Reader(in).Read();
}

ReadResult ReadMidiFile(const std::string& path) {
  std::string whyNot;
  std::unique_ptr<ReadableFile> file = ReadableFile::OpenRegular(path, &whyNot);
  if (!file) {
    ReadResult result;
    result.outcome = ReadOutcome::NotOpened;
    result.whyNotOpened = whyNot;
    return result;
  }
  ByteReader in(*file);
  return Reader(in).Read();
}

}  // namespace tonvert
