#include "midi/midi_reader.h"

#include <array>

#include "common/file_io.h"
#include "common/text.h"
#include "midi/byte_reader.h"

namespace tonvert {

namespace {

constexpr const char* kErrorTitle = "Error";
constexpr const char* kAbnormalEnd = "Abnormal EndOfFile encountered.";

class Reader {
 public:
  Reader(ByteReader& in, MidiState& state, FrontEnd& frontEnd)
      : in_(in), state_(state), frontEnd_(frontEnd) {}

  bool Read();

 private:
  enum class TrackEnd { EndOfTrack, EndOfFile, TableFull };

  void Reset();
  TrackEnd ReadTrack();
  void StoreNote(int channel, int note, int velocity);
  void CloseNote(int channel, int note);

  ByteReader& in_;
  MidiState& state_;
  FrontEnd& frontEnd_;

  int64_t runningTime_ = 0;  // MIDI ticks since the start of the current track
  uint8_t runningStatus_ = 0;
  std::array<int32_t, 16> programs_{};  // current program per MIDI channel
  std::string trackName_;  // carried across tracks, like the programs
  uint32_t track_ = 0;
  int32_t trackFirstNote_ = 0;  // first record stored in the current track
};

bool Reader::Read() {
  const std::string id = in_.Text(4);
  const uint32_t length = in_.BigEndian(4);
  if (id != "MThd" || length != 6) {
    frontEnd_.ShowMessage({MessageKind::Plain, kErrorTitle,
                           "Unknown format !! : " + id + " / " + DecimalForm(length), true});
    return false;
  }
  Reset();
  in_.BigEndian(2);  // format: 0, 1 and 2 are read alike
  uint32_t tracksLeft = in_.BigEndian(2);
  state_.division = static_cast<int32_t>(in_.BigEndian(2));
  // Header fields cut by the end read as 0 without a message.
  in_.ClearPastEnd();
  in_.Seek(8 + length);

  while (tracksLeft != 0) {
    const std::string chunkId = in_.Text(4);
    if (chunkId.empty()) {
      frontEnd_.ShowMessage({MessageKind::Plain, kErrorTitle, kAbnormalEnd, false});
      return true;
    }
    const uint32_t chunkLength = in_.BigEndian(4);
    in_.ClearPastEnd();
    --tracksLeft;  // any chunk type uses up one announced track
    if (chunkId == "MTrk") {
      // The track ends at its End of Track event, not at its announced length.
      switch (ReadTrack()) {
        case TrackEnd::EndOfTrack:
          break;
        case TrackEnd::EndOfFile:
          frontEnd_.ShowMessage({MessageKind::Plain, kErrorTitle, kAbnormalEnd, false});
          return true;
        case TrackEnd::TableFull:
          return true;
      }
    } else {
      const uint64_t next = in_.position() + chunkLength;
      if (next < in_.size()) in_.Seek(next);
    }
  }
  return true;
}

void Reader::Reset() {
  for (int32_t i = 0; i < state_.count; ++i) state_.NoteTable[i] = NoteEvent();
  state_.count = 0;
  state_.DrumKeyList.clear();
  state_.ProgramList.clear();
  state_.SongEnd = 0;
  // A file without Set Tempo must not inherit the previous file's tempo.
  state_.SongBpm = 0;
  state_.division = 0;
  state_.noteLimitReached = false;
  state_.trackNames.assign(1, std::string());
}

Reader::TrackEnd Reader::ReadTrack() {
  // Every track counts from its own start: format-1 tracks run side by side.
  runningTime_ = 0;
  trackFirstNote_ = state_.count;
  ++track_;
  for (;;) {
    const int64_t delta = in_.VarLen();
    uint8_t status = in_.Next();
    if (status < 0x80) {
      in_.Seek(in_.position() - 1);
      status = runningStatus_;
    }
    const uint8_t newRunningStatus =
        (status >= 0x80 && status != 0xF0 && status != 0xF7 && status != 0xFF) ? status
                                                                                : runningStatus_;
    // Each case reads all of its event's bytes before acting: an event cut by the
    // end of the file has no effect at all.
    const int channel = status & 0x0F;
    switch (status >= 0xF0 ? status : status & 0xF0) {
      case 0x80:
      case 0x90: {
        const uint8_t note = in_.Next();
        const uint8_t velocity = in_.Next();
        if (in_.pastEnd()) return TrackEnd::EndOfFile;
        runningTime_ += delta;
        if (note > 127) break;
        if ((status & 0xF0) == 0x90 && velocity > 0) {
          if (state_.count >= kMaxStoredNotes) {
            state_.noteLimitReached = true;
            return TrackEnd::TableFull;
          }
          StoreNote(channel, note, velocity);
        } else {
          CloseNote(channel, note);
        }
        break;
      }
      case 0xA0:
      case 0xB0:
      case 0xE0:
        in_.Next();
        in_.Next();
        if (in_.pastEnd()) return TrackEnd::EndOfFile;
        runningTime_ += delta;
        break;
      case 0xC0: {
        const uint8_t program = in_.Next();
        if (in_.pastEnd()) return TrackEnd::EndOfFile;
        runningTime_ += delta;
        if (program <= 127) programs_[channel] = program;
        break;
      }
      case 0xD0:
      case 0xF1:
      case 0xF3:
        in_.Next();
        if (in_.pastEnd()) return TrackEnd::EndOfFile;
        runningTime_ += delta;
        break;
      case 0xF2:
        in_.Next();
        in_.Next();
        if (in_.pastEnd()) return TrackEnd::EndOfFile;
        runningTime_ += delta;
        break;
      case 0xF0:
      case 0xF7:
        in_.Skip(in_.VarLen());
        if (in_.pastEnd()) return TrackEnd::EndOfFile;
        runningTime_ += delta;
        break;
      case 0xF6:
      case 0xF8:
      case 0xF9:
      case 0xFA:
      case 0xFB:
      case 0xFC:
      case 0xFE:
        if (in_.pastEnd()) return TrackEnd::EndOfFile;
        runningTime_ += delta;
        break;
      case 0xFF: {
        const uint8_t type = in_.Next();
        switch (type) {
          case 0x00:
            if (in_.Next() != 0) in_.BigEndian(2);
            break;
          case 0x2F:
            in_.Next();
            break;
          case 0x51: {
            in_.Next();  // the length byte does not change how much follows
            const uint32_t tempo = in_.BigEndian(3);
            if (in_.pastEnd()) return TrackEnd::EndOfFile;
            // A tempo of 0 has no meaning; the song keeps the tempo it had.
            if (tempo != 0) state_.SongBpm = static_cast<int32_t>(60000000u / tempo);
            break;
          }
          case 0x54:
            in_.Skip(1 + 5);
            break;
          case 0x58:
            in_.Skip(1 + 4);
            break;
          case 0x59:
            in_.Skip(1 + 2);
            break;
          case 0x03: {
            std::string name = in_.Text(in_.VarLen());
            if (in_.pastEnd()) return TrackEnd::EndOfFile;
            // Only the name changes: the event's time counts like any other, so
            // a name event in mid-track does not move later notes back to 0.
            trackName_ = std::move(name);
            break;
          }
          default:
            in_.Skip(in_.VarLen());
            break;
        }
        if (in_.pastEnd()) return TrackEnd::EndOfFile;
        runningTime_ += delta;
        if (type == 0x2F) {
          runningStatus_ = newRunningStatus;
          return TrackEnd::EndOfTrack;
        }
        break;
      }
      default:  // 0xF4, 0xF5, 0xFD, and 0 before any channel status
        in_.VarLen();
        if (in_.pastEnd()) return TrackEnd::EndOfFile;
        runningTime_ += delta;
        break;
    }
    runningStatus_ = newRunningStatus;
  }
}

void Reader::StoreNote(int channel, int note, int velocity) {
  NoteEvent& e = state_.NoteTable[state_.count];
  e = NoteEvent();
  e.start = 3 * runningTime_;
  e.length = kOpenNoteLength;
  e.note = note;
  e.velocity = velocity;
  e.channel = channel;
  // Names are kept once per change, and only for stored notes, so a file full
  // of name events costs no memory.
  if (trackName_ != state_.trackNames.back()) state_.trackNames.push_back(trackName_);
  e.trackName = static_cast<uint32_t>(state_.trackNames.size() - 1);
  e.track = track_;
  e.program = programs_[channel];
  if (e.start > state_.SongEnd) state_.SongEnd = e.start;
  bool known = false;
  for (int32_t p : state_.ProgramList) known = known || p == e.program;
  if (!known) state_.ProgramList.push_back(e.program);
  ++state_.count;
}

void Reader::CloseNote(int channel, int note) {
  const int64_t t = 3 * runningTime_;
  // The newest open note of this number on this channel in this track: a
  // note-off never reaches into another channel or track, nor reopens a
  // closed note, so repeated notes pair up first-in-last-out as they sound.
  for (int32_t i = state_.count - 1; i >= trackFirstNote_; --i) {
    NoteEvent& e = state_.NoteTable[i];
    if (e.note != note || e.channel != channel || e.closed) continue;
    e.end = t;
    e.length = t - e.start;
    e.closed = true;
    if (t > state_.SongEnd) state_.SongEnd = t;
    return;
  }
}

}  // namespace

bool ReadMidiBytes(const uint8_t* data, size_t size, MidiState& state, FrontEnd& frontEnd) {
  ByteReader in(data, size);
  return Reader(in, state, frontEnd).Read();
}

bool ReadMidiFile(const std::string& path, MidiState& state, FrontEnd& frontEnd) {
  std::string whyNot;
  std::unique_ptr<ReadableFile> file = ReadableFile::OpenRegular(path, &whyNot);
  if (!file) {
    frontEnd.ShowMessage({MessageKind::Error, kErrorTitle, "Bad file", true, path + ": " + whyNot});
    return false;
  }
  ByteReader in(*file);
  return Reader(in, state, frontEnd).Read();
}

}  // namespace tonvert
