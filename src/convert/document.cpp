#include "convert/document.h"

#include <algorithm>
#include <array>

#include "common/text.h"

namespace tonvert {

const char* const kMakerAddress = "farrow.example";

namespace {

constexpr const char* kEol = "\r\n";
constexpr char kHexDigits[] = "0123456789ABCDEF";

// Writes the fixed-width fields of a cell into `p` and returns the end; the
// note column of a drum is its key text, which may have any length, so it is
// appended to `out` directly.
char* WriteNote(char* p, std::string& out, char* start, const Cell& cell, const InstrumentSet& instruments) {
  static const char kNames[] = "C-C#D-D#E-F-F#G-G#A-A#B-";
  switch (cell.kind) {
    case Cell::Empty:
      return std::copy_n("...", 3, p);
    case Cell::NoteOff:
      return std::copy_n("---", 3, p);
    case Cell::Melodic:
      *p++ = kNames[2 * (cell.value % 12)];
      *p++ = kNames[2 * (cell.value % 12) + 1];
      *p++ = static_cast<char>('0' + Octave(cell.value));
      return p;
    case Cell::Noise:
      *p++ = kHexDigits[cell.value & 15];
      return std::copy_n("-#", 2, p);
    case Cell::Drum: {
      const std::string& key = instruments.drums[cell.value].keyText;
      if (key.empty()) return std::copy_n("...", 3, p);
      out.append(start, static_cast<size_t>(p - start));
      out += key;
      return start;
    }
  }
  return p;
}

char* WriteEffect(char* p, const Effect& effect) {
  if (effect.command == 0) return std::copy_n("...", 3, p);
  *p++ = effect.command;
  if (effect.command == 'V') {
    // V is written with two decimal digits, as the instrument files give it.
    *p++ = static_cast<char>('0' + effect.value / 10 % 10);
    *p++ = static_cast<char>('0' + effect.value % 10);
  } else {
    *p++ = kHexDigits[effect.value >> 4];
    *p++ = kHexDigits[effect.value & 15];
  }
  return p;
}

// One channel segment: note, instrument, volume, then the effect columns; an
// empty field shows its placeholder.
void AppendSegment(std::string& out, const Cell& cell, int trackerChannel, const InstrumentSet& instruments) {
  char buffer[64] = {};
  char* p = WriteNote(buffer, out, buffer, cell, instruments);
  *p++ = ' ';
  if (cell.instrument == Cell::kNone) {
    p = std::copy_n("..", 2, p);
  } else {
    *p++ = kHexDigits[cell.instrument >> 4];
    *p++ = kHexDigits[cell.instrument & 15];
  }
  *p++ = ' ';
  *p++ = cell.volume == 0 ? '.' : kHexDigits[cell.volume & 15];
  const int columns = TrackerChannel(trackerChannel).effectColumns;
  for (int k = 0; k < columns; ++k) {
    *p++ = ' ';
    p = WriteEffect(p, cell.effects[static_cast<size_t>(k)]);
  }
  // A one-column segment keeps the trailing blank documents have always had
  // (the import splits at blanks, so it reads the same).
  if (columns == 1) *p++ = ' ';
  out.append(buffer, static_cast<size_t>(p - buffer));
}

bool IsEmpty(const Cell& cell) {
  if (cell.kind != Cell::Empty || cell.instrument != Cell::kNone || cell.volume != 0) return false;
  for (const Effect& effect : cell.effects)
    if (effect.command != 0) return false;
  return true;
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
  // Most cells are empty: their text is made once per channel.
  std::array<std::string, kTrackerChannelCount + 1> empty;
  for (int c = 1; c <= kTrackerChannelCount; ++c) AppendSegment(empty[static_cast<size_t>(c)], Cell(), c, instruments);
  for (int32_t f = 0; f < grid.frames(); ++f) {
    progress.Step(Stage::Frame, f);
    doc += "PATTERN ";
    doc += HexByte(static_cast<uint64_t>(f));
    doc += kEol;
    for (int32_t r = 0; r < grid.rows(); ++r) {
      // Rows are 00-FF: a pattern holds at most 256.
      const char row[] = {'R', 'O', 'W', ' ', kHexDigits[(r >> 4) & 15], kHexDigits[r & 15], ' ', ':', ' '};
      doc.append(row, sizeof row);
      for (int c = 1; c <= kTrackerChannelCount; ++c) {
        if (c > 1) doc.append(" : ", 3);
        const Cell& cell = grid.at(f, r, c);
        if (IsEmpty(cell)) {
          doc += empty[static_cast<size_t>(c)];
        } else {
          AppendSegment(doc, cell, c, instruments);
        }
      }
      doc.append(kEol, 2);
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

std::string WriteDocument(const InstrumentSet& instruments, const PatternGrid& grid, TrackTiming timing,
                          Progress& progress) {
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
