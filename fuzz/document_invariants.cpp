#include "document_invariants.h"

#include <array>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace tonvert::fuzz {

namespace {

constexpr int kMacroTypes = 5;
constexpr std::array<int, 7> kEffectColumns{4, 4, 1, 1, 1, 4, 4};

std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + separator.size();
  }
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // the document writes upper-case hex only
}

// Exactly two upper-case hex digits, else -1.
int HexPair(std::string_view text) {
  if (text.size() != 2 || HexDigit(text[0]) < 0 || HexDigit(text[1]) < 0) return -1;
  return HexDigit(text[0]) * 16 + HexDigit(text[1]);
}

// An optional "-" and decimal digits, else false.
bool Decimal(std::string_view text, long& value) {
  if (text.empty() || text.size() > 12) return false;
  size_t i = text[0] == '-' ? 1 : 0;
  if (i == text.size()) return false;
  for (size_t k = i; k < text.size(); ++k)
    if (text[k] < '0' || text[k] > '9') return false;
  value = std::strtol(std::string(text).c_str(), nullptr, 10);
  return true;
}

class Checker {
 public:
  explicit Checker(const DocumentExpectations& expect) : expect_(expect) {}

  std::string Run(const std::string& document);

 private:
  std::string Line(std::string_view line);
  std::string Macro(std::string_view line);
  std::string Instrument(std::string_view line);
  std::string Track(std::string_view line);
  std::string Order(std::string_view line);
  std::string Pattern(std::string_view line);
  std::string Row(std::string_view line);
  std::string Cell(std::string_view cell, int channel);
  std::string ClosePattern();

  const DocumentExpectations& expect_;
  std::array<std::array<bool, 128>, kMacroTypes> macros_{};
  std::array<bool, 64> instruments_{};
  bool trackSeen_ = false;
  int orders_ = 0;
  int patterns_ = 0;
  int rowsInPattern_ = -1;  // -1 before the first PATTERN
  bool ended_ = false;
  // The tracker keeps a 0xy arpeggio until 000; frames play in order here.
  std::array<bool, 8> arpeggioOn_{};
};

std::string Checker::Run(const std::string& document) {
  for (size_t i = 0; i < document.size(); ++i) {
    if (document[i] == '\n' && (i == 0 || document[i - 1] != '\r')) return "a line ends in LF alone";
    if (document[i] == '\r' && (i + 1 == document.size() || document[i + 1] != '\n'))
      return "a CR not followed by LF";
  }
  if (!StartsWith(document, "# FamiTracker text export ")) return "no export header";
  if (document.size() < 2 || document.compare(document.size() - 2, 2, "\r\n") != 0)
    return "the last line has no line end";
  const std::string_view body(document.data(), document.size() - 2);
  int number = 0;
  for (size_t start = 0; start <= body.size();) {
    size_t end = body.find('\r', start);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view line = body.substr(start, end - start);
    start = end + 2;
    ++number;
    if (ended_) return "line " + std::to_string(number) + ": text after the end of the export";
    std::string problem = Line(line);
    if (!problem.empty()) return "line " + std::to_string(number) + ": " + problem;
  }
  if (!ended_) return "no \"# End of export\" line";
  if (!trackSeen_) return "no TRACK line";
  if (orders_ != patterns_)
    return std::to_string(orders_) + " ORDER lines but " + std::to_string(patterns_) + " patterns";
  return ClosePattern();
}

std::string Checker::Line(std::string_view line) {
  if (line.size() > 4 && line[0] == 'R' && line[1] == 'O' && line[2] == 'W' && line[3] == ' ') return Row(line);
  if (line == "# End of export") {
    ended_ = true;
    return "";
  }
  if (StartsWith(line, "MACRO\t")) return Macro(line);
  if (StartsWith(line, "INST2A03\t")) return Instrument(line);
  if (StartsWith(line, "TRACK ")) return Track(line);
  if (StartsWith(line, "ORDER ")) return Order(line);
  if (StartsWith(line, "PATTERN ")) return Pattern(line);
  if (StartsWith(line, "ROW ")) return Row(line);
  if (line.empty() || line[0] == '#') return "";
  for (std::string_view known : {"TITLE ", "AUTHOR ", "COPYRIGHT ", "COMMENT ", "MACHINE ", "FRAMERATE ",
                                 "EXPANSION ", "VIBRATO ", "SPLIT ", "COLUMNS : "})
    if (StartsWith(line, known)) return "";
  return "unexpected line \"" + std::string(line.substr(0, 40)) + "\"";
}

std::string Checker::Macro(std::string_view line) {
  const auto fields = Split(line, "\t");
  long type = 0, number = 0;
  if (fields.size() != 4 || !Decimal(fields[1], type) || !Decimal(fields[2], number))
    return "malformed MACRO line";
  if (type < 0 || type >= kMacroTypes) return "MACRO type " + std::to_string(type);
  if (number < 0 || number > 127) return "MACRO number " + std::to_string(number) + " outside 0-127";
  bool& seen = macros_[static_cast<size_t>(type)][static_cast<size_t>(number)];
  if (seen) return "MACRO " + std::to_string(type) + " " + std::to_string(number) + " defined twice";
  seen = true;
  return "";
}

std::string Checker::Instrument(std::string_view line) {
  const auto fields = Split(line, "\t");
  long number = 0;
  if (fields.size() != 8 || !Decimal(fields[1], number)) return "malformed INST2A03 line";
  if (number < 0 || number > 63) return "instrument " + std::to_string(number) + " outside 00-3F";
  if (instruments_[static_cast<size_t>(number)]) return "instrument " + std::to_string(number) + " twice";
  instruments_[static_cast<size_t>(number)] = true;
  for (int type = 0; type < kMacroTypes; ++type) {
    long macro = 0;
    if (!Decimal(fields[static_cast<size_t>(2 + type)], macro)) return "malformed INST2A03 macro column";
    if (macro == -1) continue;
    if (macro < 0 || macro > 127 || !macros_[static_cast<size_t>(type)][static_cast<size_t>(macro)])
      return "instrument " + std::to_string(number) + " names a missing macro " + std::to_string(macro);
  }
  const std::string_view name = fields[7];
  if (name.size() < 2 || name.front() != '"' || name.back() != '"') return "instrument name not quoted";
  return "";
}

std::string Checker::Track(std::string_view line) {
  // TRACK  <rows>   <speed> <tempo> "My new track"
  std::vector<std::string_view> words;
  for (std::string_view w : Split(line, " "))
    if (!w.empty()) words.push_back(w);
  long rows = 0, speed = 0, tempo = 0;
  if (words.size() < 5 || !Decimal(words[1], rows) || !Decimal(words[2], speed) || !Decimal(words[3], tempo))
    return "malformed TRACK line";
  if (trackSeen_) return "a second TRACK";
  trackSeen_ = true;
  if (rows != expect_.rowsPerPattern)
    return "TRACK rows " + std::to_string(rows) + ", expected " + std::to_string(expect_.rowsPerPattern);
  if (speed < 1 || speed > 20) return "speed " + std::to_string(speed) + " outside 1-20";
  if (tempo < 32 || tempo > 255) return "tempo " + std::to_string(tempo) + " outside 32-255";
  return "";
}

std::string Checker::Order(std::string_view line) {
  // ORDER hh : hh hh hh hh hh hh hh
  const auto words = Split(line, " ");
  if (!trackSeen_) return "ORDER before TRACK";
  if (patterns_ != 0) return "ORDER after the first PATTERN";
  if (words.size() != 10 || words[2] != ":") return "malformed ORDER line";
  if (HexPair(words[1]) != orders_) return "ORDER " + std::string(words[1]) + " out of order";
  if (orders_ >= 128) return "a frame past 7F";
  for (size_t k = 3; k < words.size(); ++k)
    if (HexPair(words[k]) != orders_) return "ORDER " + std::string(words[1]) + " names another pattern";
  ++orders_;
  return "";
}

std::string Checker::ClosePattern() {
  if (rowsInPattern_ >= 0 && rowsInPattern_ != expect_.rowsPerPattern)
    return "pattern " + std::to_string(patterns_ - 1) + " has " + std::to_string(rowsInPattern_) +
           " rows, expected " + std::to_string(expect_.rowsPerPattern);
  return "";
}

std::string Checker::Pattern(std::string_view line) {
  std::string problem = ClosePattern();
  if (!problem.empty()) return problem;
  if (HexPair(line.substr(8)) != patterns_) return "PATTERN " + std::string(line.substr(8)) + " out of order";
  if (patterns_ >= 128) return "a pattern past 7F";
  ++patterns_;
  rowsInPattern_ = 0;
  return "";
}

// Rows are most of a document: they are scanned by hand, byte by byte, with
// no allocation unless something is wrong.
std::string Checker::Row(std::string_view line) {
  if (rowsInPattern_ < 0) return "ROW outside a pattern";
  // "ROW hh" then seven " : cell" segments.
  const std::string_view rest = line.substr(4);
  if (rest.size() < 2 || HexPair(rest.substr(0, 2)) != rowsInPattern_ % 256 ||
      rowsInPattern_ >= expect_.rowsPerPattern)
    return "ROW " + std::string(rest.substr(0, 2)) + " out of order";
  ++rowsInPattern_;
  size_t pos = 2;
  for (int c = 1; c <= 7; ++c) {
    if (pos + 3 > rest.size() || rest[pos] != ' ' || rest[pos + 1] != ':' || rest[pos + 2] != ' ')
      return "a ROW of " + std::to_string(c - 1) + " cells";
    pos += 3;
    size_t end = pos;
    while (end < rest.size() && !(rest[end] == ' ' && end + 2 < rest.size() && rest[end + 1] == ':' &&
                                  rest[end + 2] == ' '))
      ++end;
    std::string problem = Cell(rest.substr(pos, end - pos), c);
    if (!problem.empty()) return "channel " + std::to_string(c) + ": " + problem;
    pos = end;
  }
  if (pos != rest.size()) return "a ROW of more than 7 cells";
  return "";
}

bool Is(std::string_view text, const char* literal) {
  size_t i = 0;
  for (; literal[i] != '\0'; ++i)
    if (i >= text.size() || text[i] != literal[i]) return false;
  return i == text.size();
}

std::string Checker::Cell(std::string_view cell, int channel) {
  // Columns are separated by one space; one-effect channels end with one more.
  if (!cell.empty() && cell.back() == ' ') cell.remove_suffix(1);
  std::array<std::string_view, 8> words;
  size_t count = 0, start = 0;
  for (size_t i = 0; i <= cell.size(); ++i) {
    if (i < cell.size() && cell[i] != ' ') continue;
    if (count == words.size()) return "cell \"" + std::string(cell) + "\" has the wrong columns";
    words[count++] = cell.substr(start, i - start);
    start = i + 1;
  }
  const size_t effects = static_cast<size_t>(kEffectColumns[static_cast<size_t>(channel - 1)]);
  if (count != 3 + effects) return "cell \"" + std::string(cell) + "\" has the wrong columns";
  const std::string_view note = words[0];
  const bool melodic = note.size() == 3 && note[0] >= 'A' && note[0] <= 'G' && (note[1] == '-' || note[1] == '#') &&
                       note[2] >= '0' && note[2] <= '9';
  const bool noise = note.size() == 3 && HexDigit(note[0]) >= 0 && note[1] == '-' && note[2] == '#';
  const bool empty = Is(note, "...") || Is(note, "---");
  if (melodic && note[2] > '7') return "octave " + std::string(1, note[2]) + " in \"" + std::string(note) + "\"";
  if (!melodic && !noise && !empty && expect_.drumKeys.count(std::string(note)) == 0)
    return "note \"" + std::string(note) + "\"";
  const std::string_view instrument = words[1];
  if (!Is(instrument, "..")) {
    const int number = HexPair(instrument);
    if (number < 0 || number > 0x3F) return "instrument cell \"" + std::string(instrument) + "\"";
    if (!instruments_[static_cast<size_t>(number)])
      return "instrument cell " + std::string(instrument) + " names no written instrument";
    if (empty) return "an instrument without a note";
  }
  const std::string_view volume = words[2];
  if (volume.size() != 1 || (volume[0] != '.' && HexDigit(volume[0]) < 0))
    return "volume \"" + std::string(volume) + "\"";
  bool setsArpeggio = false;
  for (size_t k = 3; k < count; ++k) {
    const std::string_view effect = words[k];
    if (Is(effect, "...")) continue;
    const bool v = effect.size() == 3 && effect[0] == 'V' && effect[1] >= '0' && effect[1] <= '9' &&
                   effect[2] >= '0' && effect[2] <= '9';
    // Arpeggios and the speed/tempo effect, in hex. Fxx below the split point
    // 21 sets the speed, from it on the tempo; the tempos written stay at 32 or
    // above, where the tracker's tempo box keeps them.
    const bool hex = effect.size() == 3 && (effect[0] == '0' || effect[0] == 'F') && HexPair(effect.substr(1)) >= 0;
    if (!v && !hex) return "effect \"" + std::string(effect) + "\"";
    if (effect[0] == 'F') {
      const int f = HexPair(effect.substr(1));
      if (!((f >= 1 && f <= 20) || f >= 32)) return "effect \"" + std::string(effect) + "\"";
    }
    if (effect[0] != '0') continue;
    if (channel == 4 || channel == 5) return "an arpeggio on the noise or DPCM channel";
    if (setsArpeggio) return "two arpeggio effects in one cell";
    setsArpeggio = true;
    arpeggioOn_[static_cast<size_t>(channel)] = HexPair(effect.substr(1)) != 0;
  }
  if (!empty && !setsArpeggio && arpeggioOn_[static_cast<size_t>(channel)])
    return "note \"" + std::string(note) + "\" inherits an arpeggio";
  return "";
}

}  // namespace

std::string CheckDocument(const std::string& document, const DocumentExpectations& expect) {
  return Checker(expect).Run(document);
}

}  // namespace tonvert::fuzz
