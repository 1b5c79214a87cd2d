#include "convert/placement.h"

#include <algorithm>

#include "common/front_end.h"

namespace tonvert {

namespace {

constexpr int kStatusEvery = 31;

int32_t FrameCount(const Song& song, int64_t frameLength) {
  int64_t frames = (song.end + frameLength - 1) / frameLength;
  // A note that no note-off closes and that starts at the song's end on a frame
  // boundary (a lone note-on at time 0, say) needs the frame it starts in.
  for (size_t i = 0; i < song.notes.size() && frames <= kMaxFrames; ++i) {
    const Note& note = song.notes[i];
    if (!note.closed && note.start == song.end) frames = std::max(frames, note.start / frameLength + 1);
  }
  return static_cast<int32_t>(std::min<int64_t>(frames, kMaxFrames));
}

uint8_t InstrumentCell(int64_t number) {
  // Instruments above 3F are left out of the document; their cells name none.
  return (number >= 0 && number <= kMaxTrackerInstrument) ? static_cast<uint8_t>(number) : Cell::kNone;
}

// The leftmost tracker channel whose box for the note's MIDI channel is
// checked: a MIDI channel checked in several columns plays in one of them.
int RoutedChannel(ChannelRouting& routing, int midiChannel) {
  for (int c = 1; c <= kTrackerChannelCount; ++c)
    if (routing.IsChannelMapped(c, midiChannel)) return c;
  return 0;
}

}  // namespace

PatternGrid::PatternGrid(int32_t frames, int32_t rows)
    : frames_(frames),
      rows_(rows),
      cells_(static_cast<size_t>(frames + 1) * static_cast<size_t>(rows + 1) * kTrackerChannelCount) {}

Placement PlaceNotes(const Song& song, const Grid& grid, const InstrumentSet& instruments,
                     ChannelRouting& routing, Progress& progress) {
  const int64_t ticks = grid.ticksPerRow;
  const int64_t frameLength = int64_t{grid.rowsPerPattern} * ticks;
  Placement out{PatternGrid(FrameCount(song, frameLength), grid.rowsPerPattern)};

  for (size_t i = 0; i < song.notes.size(); ++i) {
    if (i % kStatusEvery == 0) progress.Step(Stage::Note, static_cast<int64_t>(i));
    const Note& note = song.notes[i];
    if (note.length == 0) continue;

    const int channel = RoutedChannel(routing, note.channel);
    if (channel == 0) continue;

    Cell cell;
    if (note.channel == kDrumChannel) {
      const DrumSound& drum = instruments.drums[static_cast<size_t>(note.key)];
      // The key texts are noise pitches, which the tracker refuses on every
      // other channel: there a drum plays its MIDI key with its instrument.
      const bool noise = TrackerChannel(channel).noise;
      // A drum without an instrument or key text has nothing to play: placing a
      // silent cell would only erase or cut real notes.
      if (drum.instrument < 1 || (noise && drum.keyText.empty())) continue;
      cell.kind = noise ? Cell::Drum : Cell::Melodic;
      cell.value = static_cast<uint8_t>(note.key);
      cell.instrument = InstrumentCell(drum.instrument);
    } else {
      if (TrackerChannel(channel).noise) {
        // Noise cells carry a pitch 0-F; melodic names there are misread.
        cell.kind = Cell::Noise;
        cell.value = static_cast<uint8_t>((12 * Octave(note.key) + note.key % 12) % 16);
      } else {
        cell.kind = Cell::Melodic;
        cell.value = static_cast<uint8_t>(note.key);
      }
      cell.instrument = InstrumentCell(instruments.programInstrument[static_cast<size_t>(note.program)]);
    }
    if (TrackerChannel(channel).pulse) {
      // A drum on a pulse channel plays the narrowest duty: its instrument has
      // no duty of its own, and the previous note's V would linger otherwise.
      const uint8_t duty = note.channel == kDrumChannel ? 0 : instruments.dutyEffect[static_cast<size_t>(note.program)];
      cell.effects[0] = Effect{'V', duty};
    }

    const int64_t frame = note.start / frameLength;
    const int64_t row = (note.start - frame * frameLength) / ticks;
    if (frame >= kMaxFrames) out.songCut = true;
    if (frame > kMaxFrames || frame > out.grid.frames()) continue;
    // MIDI velocity 0-127 onto the tracker's volume 0-15.
    const int volume = std::min(note.velocity / 8, 15);
    if (volume == 0) continue;

    Cell& target = out.grid.at(frame, row, channel);
    // The earlier note keeps its cell.
    if (target.kind != Cell::Empty && target.kind != Cell::NoteOff) continue;
    cell.volume = static_cast<uint8_t>(volume);
    target = cell;

    // A note that never ends gets no note-off.
    if (!note.closed) continue;
    int64_t offFrame = note.end / frameLength;
    int64_t offRow = (note.end - offFrame * frameLength) / ticks;
    // A note shorter than a row would have its note-off in its own cell and
    // ring on, on the triangle maybe to the song's end: it ends a row later.
    // Drums end by themselves, and nearly every hit is that short.
    if (offFrame == frame && offRow == row && note.channel != kDrumChannel) {
      if (++offRow == out.grid.rows()) {
        offRow = 0;
        ++offFrame;
      }
    }
    if (offFrame > kMaxFrames || offFrame > out.grid.frames()) continue;
    Cell& off = out.grid.at(offFrame, offRow, channel);
    if (off.kind == Cell::Empty) off.kind = Cell::NoteOff;
  }
  // The status steps keep their pace over the slots no note fills.
  for (size_t i = song.notes.size(); i < static_cast<size_t>(kNoteSlots); ++i)
    if (i % kStatusEvery == 0) progress.Step(Stage::Note, static_cast<int64_t>(i));
  return out;
}

}  // namespace tonvert
