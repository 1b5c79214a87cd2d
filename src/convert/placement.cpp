#include "convert/placement.h"

#include <algorithm>
#include <array>

#include "common/text.h"
#include "instruments/macro_lines.h"

namespace tonvert {

namespace {

constexpr int kDrumChannel = 9;  // MIDI channel 10
constexpr int kNoiseChannel = 4;
constexpr int kStatusEvery = 31;

bool IsPulse(int trackerChannel) {
  return trackerChannel == 1 || trackerChannel == 2 || trackerChannel == 6 || trackerChannel == 7;
}

// The tracker's octaves are 0-7: lower notes share octave 0, higher ones octave 7.
int Octave(int note) { return std::clamp(note / 12 - 1, 0, 7); }

int32_t FrameCount(const AppState& state, int64_t frameLength) {
  const MidiState& midi = state.midi;
  int64_t frames = (midi.SongEnd + frameLength - 1) / frameLength;
  // A note that no note-off closes and that starts at the song's end on a frame
  // boundary (a lone note-on at time 0, say) needs the frame it starts in.
  for (int32_t i = 0; i < midi.count && frames <= kMaxFrames; ++i) {
    const NoteEvent& e = midi.NoteTable[i];
    if (!e.closed && e.start == midi.SongEnd) frames = std::max(frames, e.start / frameLength + 1);
  }
  return static_cast<int32_t>(std::min<int64_t>(frames, kMaxFrames));
}

// The "V" parameter: the effect text padded/cut to two characters, read as a
// number and written as two decimal digits. A negative value has no meaning to
// the tracker and would break the import, so it becomes 00.
uint8_t EffectValue(const std::string& effectText) {
  std::string text = effectText;
  if (text.size() < 2) text.insert(0, 2 - text.size(), '0');
  const int32_t value = TextToNumber(text.substr(0, 2));
  return static_cast<uint8_t>(value < 0 ? 0 : value);  // two characters: at most 99
}

int ProgramPosition(const std::vector<int32_t>& programs, int32_t program) {
  const auto it = std::find(programs.begin(), programs.end(), program);
  return it == programs.end() ? -1 : static_cast<int>(it - programs.begin());
}

uint8_t InstrumentCell(int64_t number) {
  // Instruments above 3F are left out of the document; their cells name none.
  return (number >= 0 && number <= kMaxTrackerInstrument) ? static_cast<uint8_t>(number)
                                                          : ChannelCell::kNone;
}

}  // namespace

PatternGrid::PatternGrid(int32_t frames, int32_t rows)
    : frames_(frames),
      rows_(rows),
      cells_(static_cast<size_t>(frames + 1) * static_cast<size_t>(rows + 1) * 7) {}

Placement PlaceNotes(const AppState& state, FrontEnd& frontEnd) {
  const MidiState& midi = state.midi;
  const int64_t ticks = state.TicksPerRow;
  const int64_t frameLength = int64_t{state.RowsPerPattern} * ticks;
  Placement out{PatternGrid(FrameCount(state, frameLength), state.RowsPerPattern)};
  std::array<uint8_t, 128> effects;  // per program, read once rather than per note
  for (size_t p = 0; p < effects.size(); ++p) effects[p] = EffectValue(state.InstrumentDefs[p].effectValue);

  int counter = 0;
  for (int32_t i = 0; i < kNoteTableSize; ++i) {
    if (counter == 0) frontEnd.SetStatus("Note #" + DecimalForm(i));
    if (++counter >= kStatusEvery) counter = 0;
    if (i >= midi.count) continue;  // records past the last read are empty
    const NoteEvent& e = midi.NoteTable[i];
    if (e.length == 0) continue;

    int channel = 0;
    for (int c = 1; c <= 7 && channel == 0; ++c)
      if (frontEnd.IsChannelMapped(c, e.channel)) channel = c;
    if (channel == 0) continue;

    ChannelCell cell;
    if (e.channel == kDrumChannel) {
      const DrumDef& drum = state.DrumDefs[static_cast<size_t>(e.note)];
      // A drum without an instrument or key text has nothing to play: placing a
      // silent cell would only erase or cut real notes.
      if (drum.instrument < 1 || drum.key.empty()) continue;
      cell.kind = ChannelCell::Drum;
      cell.value = static_cast<uint8_t>(e.note);
      cell.instrument = InstrumentCell(drum.instrument);
    } else {
      if (channel == kNoiseChannel) {
        // Noise cells carry a pitch 0-F; melodic names there are misread.
        cell.kind = ChannelCell::Noise;
        cell.value = static_cast<uint8_t>((12 * Octave(e.note) + e.note % 12) % 16);
      } else {
        cell.kind = ChannelCell::Melodic;
        cell.value = static_cast<uint8_t>(e.note);
      }
      const int position = ProgramPosition(midi.ProgramList, e.program);
      cell.instrument = position < 0 ? ChannelCell::kNone : InstrumentCell(position);
    }
    if (IsPulse(channel)) {
      cell.effect = e.channel == kDrumChannel ? 0 : effects[static_cast<size_t>(e.program)];
    }

    const int64_t frame = e.start / frameLength;
    const int64_t row = (e.start - frame * frameLength) / ticks;
    if (frame >= kMaxFrames) out.songCut = true;
    if (frame > kMaxFrames || frame > out.grid.frames()) continue;
    const int volume = std::min(e.velocity / 8, 15);
    if (volume == 0) continue;

    ChannelCell& target = out.grid.at(frame, row, channel);
    // The earlier note keeps its cell.
    if (target.kind != ChannelCell::Empty && target.kind != ChannelCell::NoteOff) continue;
    cell.volume = static_cast<uint8_t>(volume);
    target = cell;

    // A note that never ends gets no note-off.
    if (!e.closed) continue;
    const int64_t offFrame = e.end / frameLength;
    if (offFrame > kMaxFrames || offFrame > out.grid.frames()) continue;
    const int64_t offRow = (e.end - offFrame * frameLength) / ticks;
    ChannelCell& off = out.grid.at(offFrame, offRow, channel);
    if (off.kind == ChannelCell::Empty) off.kind = ChannelCell::NoteOff;
  }
  return out;
}

std::string NoteText(const ChannelCell& cell, const DrumDefTable& drums) {
  static const char kNames[] = "C-C#D-D#E-F-F#G-G#A-A#B-";
  switch (cell.kind) {
    case ChannelCell::Empty:
      return std::string();
    case ChannelCell::NoteOff:
      return "---";
    case ChannelCell::Melodic: {
      std::string text(kNames + 2 * (cell.value % 12), 2);
      text += static_cast<char>('0' + Octave(cell.value));
      return text;
    }
    case ChannelCell::Noise:
      return std::string(1, "0123456789ABCDEF"[cell.value & 15]) + "-#";
    case ChannelCell::Drum:
      return drums[cell.value].key;
  }
  return std::string();
}

}  // namespace tonvert
