#include "document_check.h"

#include <array>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace tonvert::check {

namespace {

constexpr int kMacroTypes = 5;
constexpr std::array<int, 7> kEffectColumns{4, 4, 1, 1, 1, 4, 4};
constexpr int kNoiseChannel = 4;
constexpr int kMaxMacroValues = 252;  // 0.4.6 takes 253, the later trackers 252
constexpr std::string_view kEffectLetters = "012347ABCDEFGHIJPQRSVWXYZ";  // known to every tracker

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

bool AnyCaseHex(char c) { return HexDigit(c) >= 0 || (c >= 'a' && c <= 'f'); }

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

bool DecimalIn(std::string_view text, long low, long high) {
  long value = 0;
  return Decimal(text, value) && value >= low && value <= high;
}

// A string as every tracker reads it: quoted, no tab, a quote inside doubled,
// nothing after it; "" or why not.
std::string Quoted(std::string_view text, size_t maxBytes) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return "a string not quoted";
  size_t bytes = 0;
  for (size_t i = 1; i + 1 < text.size(); ++i, ++bytes) {
    if (text[i] == '\t') return "a tab in a string";
    if (text[i] == '"' && (i + 2 >= text.size() || text[++i] != '"')) return "a lone quote in a string";
  }
  return bytes > maxBytes ? "a string over " + std::to_string(maxBytes) + " bytes" : "";
}

// A note the channel reads: a hex noise pitch on Noise, else A-G, a natural,
// sharp or flat sign and an octave 0-7.
bool ReadableNote(std::string_view note, int channel) {
  if (note.size() != 3) return false;
  if (channel == kNoiseChannel) return AnyCaseHex(note[0]);
  const char letter = static_cast<char>(note[0] & ~0x20);
  return letter >= 'A' && letter <= 'G' && std::string_view("-.#+bf").find(note[1]) != std::string_view::npos &&
         note[2] >= '0' && note[2] <= '7';
}

class Checker {
 public:
  explicit Checker(const DocumentExpectations& expect) : expect_(expect) {}

  std::string Run(const std::string& document);

 private:
  std::string Line(std::string_view line);
  std::string Setting(std::string_view line);
  std::string Macro(std::string_view line);
  std::string Instrument(std::string_view line);
  std::string Track(std::string_view line);
  std::string Order(std::string_view line);
  std::string Pattern(std::string_view line);
  std::string Row(std::string_view line);
  std::string Cell(std::string_view cell, int channel);
  std::string ClosePattern();

  const DocumentExpectations& expect_;
  int rows_ = expect_.rowsPerPattern;
  bool expansion_ = false;
  bool columns_ = false;
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
    // 0.4.6 and Dn stop reading at 1A; no other control byte is ever written.
    const auto byte = static_cast<unsigned char>(document[i]);
    if ((byte < 0x20 || byte == 0x7F) && byte != '\t' && byte != '\r' && byte != '\n')
      return "control byte " + std::to_string(byte) + " at offset " + std::to_string(i);
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
  // "#comment" is an unknown command to the tracker.
  if (line.empty() || line == "#" || StartsWith(line, "# ") || StartsWith(line, "#\t")) return "";
  return Setting(line);
}

std::string Checker::Setting(std::string_view line) {
  const size_t space = line.find(' ');
  const std::string_view command = line.substr(0, space);
  std::string_view value = space == line.npos ? "" : line.substr(space);
  while (!value.empty() && (value[0] == ' ' || value[0] == '\t')) value.remove_prefix(1);
  for (std::string_view text : {"TITLE", "AUTHOR", "COPYRIGHT", "COMMENT"}) {
    if (command != text) continue;
    // 0.4.6 copies the first three into 32 bytes with strcpy_s and crashes.
    const std::string problem = Quoted(value, command == "COMMENT" ? 100000 : 31);
    return problem.empty() ? "" : std::string(command) + ": " + problem;
  }
  const std::pair<std::string_view, long> ranges[] = {{"MACHINE", 1}, {"FRAMERATE", 800}, {"VIBRATO", 1}, {"SPLIT", 255}};
  for (const auto& [text, high] : ranges)
    if (command == text) return DecimalIn(value, 0, high) ? "" : std::string(command) + " outside 0-" + std::to_string(high);
  if (command == "EXPANSION") {
    // MMC5 alone gives the seven channels; the count holds for later lines.
    if (value != "8" || trackSeen_) return "not EXPANSION 8 before the TRACK";
    expansion_ = true;
    return "";
  }
  if (command == "COLUMNS") {
    // Before a TRACK the tracker crashes; the rows are read with these counts.
    if (!trackSeen_ || value != ": 4 4 1 1 1 4 4" || columns_) return "not one COLUMNS : 4 4 1 1 1 4 4 after the TRACK";
    columns_ = true;
    return "";
  }
  return "unexpected line \"" + std::string(line.substr(0, 40)) + "\"";
}

std::string Checker::Macro(std::string_view line) {
  // MACRO, type, number, then the body as the definitions gave it: its blanks
  // may be spaces or tabs.
  std::vector<std::string_view> words;
  for (std::string_view w : Split(line, "\t"))
    for (std::string_view v : Split(w, " "))
      if (!v.empty()) words.push_back(v);
  long type = 0, number = 0, loop = 0, release = 0, setting = 0;
  if (words.size() < 3 || !Decimal(words[1], type) || !Decimal(words[2], number) || line.substr(0, 6) != "MACRO\t")
    return "malformed MACRO line";
  if (type < 0 || type >= kMacroTypes) return "MACRO type " + std::to_string(type);
  if (number < 0 || number > 127) return "MACRO number " + std::to_string(number) + " outside 0-127";
  bool& seen = macros_[static_cast<size_t>(type)][static_cast<size_t>(number)];
  if (seen) return "MACRO " + std::to_string(type) + " " + std::to_string(number) + " defined twice";
  seen = true;
  if (expect_.anyMacroBody) return "";
  const std::string body = "MACRO " + std::to_string(type) + " " + std::to_string(number) + ": ";
  if (words.size() < 7 || !Decimal(words[3], loop) || !Decimal(words[4], release) || !Decimal(words[5], setting) ||
      loop < -1 || loop > kMaxMacroValues || release < -1 || release > kMaxMacroValues || setting < 0 ||
      setting > 255 || words[6] != ":")
    return body + "not \"loop release setting : values\" in range";
  const long count = static_cast<long>(words.size()) - 7;
  if (count > kMaxMacroValues) return body + "more than " + std::to_string(kMaxMacroValues) + " values";
  // Values the tracker's editors show; volume 0-15 and duty 0-3 with setting 0.
  const long low = expect_.soundMacros && (type == 0 || type == 4) ? 0 : -128;
  const long high = !expect_.soundMacros ? 127 : type == 0 ? 15 : type == 4 ? 3 : 127;
  for (size_t k = 7; k < words.size(); ++k)
    if (!DecimalIn(words[k], low, high)) return body + "value \"" + std::string(words[k]) + "\"";
  // The tracker drops a loop or release point it cannot reach, and 0.4.6 a
  // loop at or after the release; only arpeggios know settings other than 0.
  if (expect_.soundMacros && (count == 0 || loop >= count || release >= count ||
                              (loop >= 0 && release >= 0 && loop >= release) || setting > (type == 1 ? 2 : 0)))
    return body + "a loop, release or setting the tracker drops";
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
  const std::string problem = Quoted(fields[7], 127);  // Dn crashes on longer names
  return problem.empty() ? "" : "instrument name: " + problem;
}

std::string Checker::Track(std::string_view line) {
  // TRACK  <rows>   <speed> <tempo> "My new track"
  std::vector<std::string_view> words;
  size_t title = line.find('"');
  for (std::string_view w : Split(line.substr(0, title), " "))
    if (!w.empty()) words.push_back(w);
  long rows = 0, speed = 0, tempo = 0;
  if (words.size() != 4 || !Decimal(words[1], rows) || !Decimal(words[2], speed) || !Decimal(words[3], tempo))
    return "malformed TRACK line";
  if (trackSeen_) return "a second TRACK";
  if (!expansion_) return "TRACK before EXPANSION 8";
  trackSeen_ = true;
  if (expect_.importOnly && rows >= 1 && rows <= 256) rows_ = static_cast<int>(rows);
  if (rows != rows_) return "TRACK rows " + std::to_string(rows) + ", expected " + std::to_string(rows_);
  const long lowSpeed = expect_.importOnly ? 0 : 1, highSpeed = expect_.importOnly ? 255 : 20;
  const long lowTempo = expect_.importOnly ? 0 : 32;
  if (speed < lowSpeed || speed > highSpeed) return "speed " + std::to_string(speed) + " out of range";
  if (tempo < lowTempo || tempo > 255) return "tempo " + std::to_string(tempo) + " out of range";
  const std::string problem = Quoted(line.substr(title == line.npos ? line.size() : title), 100000);
  return problem.empty() ? "" : "TRACK title: " + problem;
}

std::string Checker::Order(std::string_view line) {
  // ORDER hh : hh hh hh hh hh hh hh
  const auto words = Split(line, " ");
  if (!columns_) return "ORDER before TRACK and COLUMNS";
  if (patterns_ != 0) return "ORDER after the first PATTERN";
  if (words.size() != 10 || words[2] != ":") return "malformed ORDER line";
  if (HexPair(words[1]) != orders_) return "ORDER " + std::string(words[1]) + " out of order";
  if (orders_ >= expect_.maxFrames) return "more than " + std::to_string(expect_.maxFrames) + " frames";
  for (size_t k = 3; k < words.size(); ++k)
    if (HexPair(words[k]) != orders_) return "ORDER " + std::string(words[1]) + " names another pattern";
  ++orders_;
  return "";
}

std::string Checker::ClosePattern() {
  if (rowsInPattern_ >= 0 && rowsInPattern_ != rows_)
    return "pattern " + std::to_string(patterns_ - 1) + " has " + std::to_string(rowsInPattern_) +
           " rows, expected " + std::to_string(rows_);
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
      rowsInPattern_ >= rows_)
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
  // Melodic notes on the noise channel or noise pitches elsewhere are misread
  // or refused; a drum key of the definitions is written as it was given.
  const bool onNoise = channel == kNoiseChannel;
  const bool melodic = !onNoise && note.size() == 3 && note[0] >= 'A' && note[0] <= 'G' &&
                       (note[1] == '-' || note[1] == '#') && note[2] >= '0' && note[2] <= '9';
  const bool noise = onNoise && note.size() == 3 && HexDigit(note[0]) >= 0 && note[1] == '-' && note[2] == '#';
  const bool empty = note == "..." || note == "---";
  const bool drum = expect_.importOnly ? ReadableNote(note, channel) : expect_.drumKeys.count(std::string(note)) > 0;
  if (melodic && note[2] > '7') return "octave " + std::string(1, note[2]) + " in \"" + std::string(note) + "\"";
  if (!melodic && !noise && !empty && !drum) return "note \"" + std::string(note) + "\"";
  const std::string_view instrument = words[1];
  if (instrument != "..") {
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
    if (effect == "...") continue;
    const bool v = effect.size() == 3 && effect[0] == 'V' && effect[1] >= '0' && effect[1] <= '9' &&
                   effect[2] >= '0' && effect[2] <= '9';
    if (expect_.importOnly) {
      const bool known = effect.size() == 3 && kEffectLetters.find(effect[0]) != std::string_view::npos &&
                         AnyCaseHex(effect[1]) && AnyCaseHex(effect[2]);
      if (!known) return "effect \"" + std::string(effect) + "\"";
      continue;
    }
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

}  // namespace tonvert::check
