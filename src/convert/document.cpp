#include "convert/document.h"

#include "common/text.h"

namespace tonvert {

const char* const kMakerAddress = "farrow.example";

namespace {

constexpr const char* kEol = "\r\n";

// One channel segment: note, instrument, volume, then the effect columns; an
// empty field shows its placeholder, the last effect of a four-column channel
// without its trailing blank.
void AppendSegment(std::string& out, const ChannelCell& cell, int trackerChannel,
                   const DrumDefTable& drums) {
  const std::string note = NoteText(cell, drums);
  out += note.empty() ? "..." : note;
  out += ' ';
  if (cell.instrument == ChannelCell::kNone) {
    out += ".. ";
  } else {
    out += HexByte(cell.instrument);
    out += ' ';
  }
  if (cell.volume == 0) {
    out += ". ";
  } else {
    out += "0123456789ABCDEF"[cell.volume & 15];
    out += ' ';
  }
  const bool fourEffects = trackerChannel == 1 || trackerChannel == 2 || trackerChannel == 6 ||
                           trackerChannel == 7;
  if (cell.effect == ChannelCell::kNone) {
    out += "... ";
  } else {
    out += 'V';
    out += static_cast<char>('0' + cell.effect / 10 % 10);
    out += static_cast<char>('0' + cell.effect % 10);
    out += ' ';
  }
  if (fourEffects) out += "... ... ...";
}

}  // namespace

PatternText BuildPatternText(const PatternGrid& grid, const DrumDefTable& drums, FrontEnd& frontEnd) {
  PatternText out;
  const int32_t rows = grid.rows();
  // About 150 bytes a row; one allocation instead of many.
  out.PatternText.reserve(static_cast<size_t>(grid.frames()) * (static_cast<size_t>(rows) * 160 + 16));
  for (int32_t f = 0; f < grid.frames(); ++f) {
    frontEnd.SetStatus("Frame #" + DecimalForm(f));
    const std::string h = HexByte(static_cast<uint64_t>(f));
    out.OrderText += "ORDER " + h + " :";
    for (int c = 0; c < 7; ++c) out.OrderText += " " + h;
    out.OrderText += kEol;

    out.PatternText += "PATTERN " + h + kEol;
    for (int32_t r = 0; r < rows; ++r) {
      out.PatternText += "ROW ";
      out.PatternText += HexByte(static_cast<uint64_t>(r));
      out.PatternText += " : ";
      for (int c = 1; c <= 7; ++c) {
        if (c > 1) out.PatternText += " : ";
        AppendSegment(out.PatternText, grid.at(f, r, c), c, drums);
      }
      out.PatternText += kEol;
    }
    out.PatternText += kEol;
  }
  return out;
}

TrackTiming TrackTimingFor(int32_t songBpm) {
  const int64_t bpm = songBpm == 0 ? 100 : songBpm;
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

std::string FillTemplate(const std::string& macroText, const std::string& instrumentText,
                         const PatternText& patterns, int32_t rowsPerPattern, int32_t songBpm) {
  const TrackTiming timing = TrackTimingFor(songBpm);
  // Placeholders are filled in the template's own text only, never inside the
  // pieces put in: a name holding "#BPM#" stays as the user wrote it.
  std::string doc;
  doc.reserve(macroText.size() + instrumentText.size() + patterns.OrderText.size() +
              patterns.PatternText.size() + 1024);
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
  doc += macroText;
  doc += "\r\n"
         "\r\n"
         "# DPCM samples\r\n"
         "\r\n"
         "# Instruments\r\n";
  doc += instrumentText;
  doc += "\r\n"
         "\r\n"
         "# Tracks\r\n"
         "\r\n"
         "TRACK  ";
  doc += DecimalForm(rowsPerPattern);
  doc += "   ";
  doc += DecimalForm(timing.speed);
  doc += ' ';
  doc += DecimalForm(timing.tempo);
  doc += " \"My new track\"\r\n"
         "COLUMNS : 4 4 1 1 1 4 4\r\n"
         "\r\n";
  doc += TrimSpaces(patterns.OrderText);
  doc += "\r\n";
  doc += TrimSpaces(patterns.PatternText);
  doc += "# End of export\r\n";
  return doc;
}

}  // namespace tonvert
