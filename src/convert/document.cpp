#include "convert/document.h"

#include <algorithm>

#include "common/text.h"

namespace tonvert {

const char* const kMakerAddress = "farrow.example";

namespace {

constexpr const char* kEol = "\r\n";
constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendNote(std::string& out, const Cell& cell, const InstrumentSet& instruments) {
  static const char kNames[] = "C-C#D-D#E-F-F#G-G#A-A#B-";
  switch (cell.kind) {
    case Cell::Empty:
      out += "...";
      return;
    case Cell::NoteOff:
      out += "---";
      return;
    case Cell::Melodic:
      out.append(kNames + 2 * (cell.value % 12), 2);
      out += static_cast<char>('0' + Octave(cell.value));
      return;
    case Cell::Noise:
      out += kHexDigits[cell.value & 15];
      out += "-#";
      return;
    case Cell::Drum: {
      const std::string& key = instruments.drums[cell.value].keyText;
      out += key.empty() ? "..." : key;
      return;
    }
  }
}

void AppendEffect(std::string& out, const Effect& effect) {
  if (effect.command == 0) {
    out += "...";
  } else if (effect.command == 'V') {
    // V is written with two decimal digits, as the instrument files give it.
    out += 'V';
    out += static_cast<char>('0' + effect.value / 10 % 10);
    out += static_cast<char>('0' + effect.value % 10);
  } else {
    out += effect.command;
    out += kHexDigits[effect.value >> 4];
    out += kHexDigits[effect.value & 15];
  }
}

// One channel segment: note, instrument, volume, then the effect columns; an
// empty field shows its placeholder.
void AppendSegment(std::string& out, const Cell& cell, int trackerChannel, const InstrumentSet& instruments) {
  AppendNote(out, cell, instruments);
  out += ' ';
  if (cell.instrument == Cell::kNone) {
    out += "..";
  } else {
    out += kHexDigits[cell.instrument >> 4];
    out += kHexDigits[cell.instrument & 15];
  }
  out += ' ';
  out += cell.volume == 0 ? '.' : kHexDigits[cell.volume & 15];
  const int columns = TrackerChannel(trackerChannel).effectColumns;
  for (int k = 0; k < columns; ++k) {
    out += ' ';
    AppendEffect(out, cell.effects[static_cast<size_t>(k)]);
  }
  // A one-column segment keeps the trailing blank documents have always had
  // (the import splits at blanks, so it reads the same).
  if (columns == 1) out += ' ';
}

void AppendPatterns(std::string& doc, const PatternGrid& grid, const InstrumentSet& instruments,
                    Progress& progress) {
  std::string orders;
  for (int32_t f = 0; f < grid.frames(); ++f) {
    const std::string h = HexByte(static_cast<uint64_t>(f));
    orders += "ORDER " + h + " :";
    for (int c = 0; c < kTrackerChannelCount; ++c) orders += " " + h;
    orders += kEol;
  }
  doc += orders;
  doc += kEol;
  for (int32_t f = 0; f < grid.frames(); ++f) {
    progress.Step(Stage::Frame, f);
    doc += "PATTERN ";
    doc += HexByte(static_cast<uint64_t>(f));
    doc += kEol;
    for (int32_t r = 0; r < grid.rows(); ++r) {
      doc += "ROW ";
      doc += HexByte(static_cast<uint64_t>(r));
      doc += " : ";
      for (int c = 1; c <= kTrackerChannelCount; ++c) {
        if (c > 1) doc += " : ";
        AppendSegment(doc, grid.at(f, r, c), c, instruments);
      }
      doc += kEol;
    }
    doc += kEol;
  }
}

void AppendMacros(std::string& doc, const InstrumentSet& instruments) {
  for (const Macro& macro : instruments.macros)
    doc += "MACRO\t" + DecimalForm(macro.type) + "\t" + DecimalForm(macro.number) + "\t" + macro.body + kEol;
}

void AppendInstruments(std::string& doc, const InstrumentSet& instruments) {
  for (const TrackerInstrument& instrument : instruments.instruments) {
    doc += "INST2A03\t" + DecimalForm(instrument.number);
    for (const int32_t index : instrument.macros)
      doc += "\t" + (index < 0 ? std::string("-1") : DecimalForm(instruments.macros[static_cast<size_t>(index)].number));
    doc += "\t\"" + EscapeInstrumentName(instrument.name) + "\"" + kEol;
  }
}

std::string ColumnsLine() {
  std::string line = "COLUMNS :";
  for (const TrackerChannelInfo& channel : kTrackerChannelTable) line += " " + DecimalForm(channel.effectColumns);
  return line + kEol;
}

}  // namespace

std::string EscapeInstrumentName(const std::string& name) {
  // The tracker ends a field at a tab even inside quotes, keeps at most 127
  // bytes of a name (one version crashes on longer ones), and reads "" as one
  // quote inside a quoted name.
  std::string cut = name.substr(0, 127);
  std::replace(cut.begin(), cut.end(), '\t', ' ');
  std::string out;
  out.reserve(cut.size() + 8);
  for (char c : cut) {
    out += c;
    if (c == '"') out += '"';
  }
  return out;
}

TrackTiming TrackTimingFor(int32_t songBpm) {
  // Without a Set Tempo a MIDI file plays at 120 BPM, the format's default.
  const int64_t bpm = songBpm == 0 ? 120 : songBpm;
  if (bpm >= 32 && bpm <= 255) return {6, static_cast<int>(bpm)};
  // Speeds nearest to 6 first, the smaller on a tie: 6, 5, 7, 4, 8, ...
  for (int distance = 1; distance <= 14; ++distance) {
    for (int s : {6 - distance, 6 + distance}) {
      if (s < 1 || s > 20) continue;
      const int64_t tempo = (2 * bpm * s + 6) / 12;  // bpm x s / 6, halves up
      if (tempo >= 32 && tempo <= 255) return {s, static_cast<int>(tempo)};
    }
  }
  if ((2 * bpm * 20 + 6) / 12 < 32) return {20, 32};
  return {1, 255};
}

std::string WriteDocument(const InstrumentSet& instruments, const PatternGrid& grid, int32_t songBpm,
                          Progress& progress) {
  const TrackTiming timing = TrackTimingFor(songBpm);
  std::string doc;
  // About 150 bytes a row; one allocation instead of many.
  doc.reserve(static_cast<size_t>(grid.frames()) * (static_cast<size_t>(grid.rows()) * 160 + 64) + 4096 +
              instruments.macros.size() * 64 + instruments.instruments.size() * 64);
  doc += "# FamiTracker text export 0.4.2\r\n"
         "\r\n"
         "# Song information\r\n"
         "TITLE           \"Cool track\"\r\n"
         "AUTHOR          \"Quenby\"\r\n"
         "COPYRIGHT       \"";
  doc += kMakerAddress;
  doc += "\"\r\n"
         "\r\n"
         "# Song comment\r\n"
         "COMMENT \"\"\r\n"
         "\r\n"
         "# Global settings\r\n"
         "MACHINE         0\r\n"
         "FRAMERATE       100\r\n"
         "EXPANSION       8\r\n"
         "VIBRATO         1\r\n"
         "SPLIT           21\r\n"
         "\r\n"
         "# Macros\r\n";
  AppendMacros(doc, instruments);
  doc += "\r\n"
         "\r\n"
         "# DPCM samples\r\n"
         "\r\n"
         "# Instruments\r\n";
  AppendInstruments(doc, instruments);
  doc += "\r\n"
         "\r\n"
         "# Tracks\r\n"
         "\r\n"
         "TRACK  ";
  doc += DecimalForm(grid.rows());
  doc += "   ";
  doc += DecimalForm(timing.speed);
  doc += ' ';
  doc += DecimalForm(timing.tempo);
  doc += " \"My new track\"\r\n";
  doc += ColumnsLine();
  doc += "\r\n";
  AppendPatterns(doc, grid, instruments, progress);
  doc += "# End of export\r\n";
  // The instruments were settled before placement; these steps keep the
  // status order users and front ends know.
  for (size_t k = 0; k < instruments.drumKeys.size(); ++k) progress.Step(Stage::Drums);
  progress.Step(Stage::MacrosAndInstruments);
  return doc;
}

}  // namespace tonvert
