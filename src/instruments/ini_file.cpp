#include "instruments/ini_file.h"


#include "common/file_io.h"
#include "common/text.h"

namespace tonvert {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Bytes after a lead byte, and the range the first of them must fall in; the
// narrowed ranges exclude overlong forms, surrogates and code points past
// U+10FFFF, so a bad second byte ends the subsequence right there.
struct LeadInfo {
  int trailing = -1;  // -1: not a lead byte
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
};

LeadInfo Lead(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return {1, 0x80, 0xBF};
  if (b == 0xE0) return {2, 0xA0, 0xBF};
  if (b == 0xED) return {2, 0x80, 0x9F};
  if (b >= 0xE1 && b <= 0xEF) return {2, 0x80, 0xBF};
  if (b == 0xF0) return {3, 0x90, 0xBF};
  if (b == 0xF4) return {3, 0x80, 0x8F};
  if (b >= 0xF1 && b <= 0xF3) return {3, 0x80, 0xBF};
  return {};
}

}  // namespace

std::string DecodeUtf8To8Bit(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    const LeadInfo lead = Lead(b);
    if (lead.trailing < 0) {
      out += '?';
      ++i;
      continue;
    }
    uint32_t codePoint = b & (lead.trailing == 1 ? 0x1Fu : lead.trailing == 2 ? 0x0Fu : 0x07u);
    size_t taken = 1;
    bool complete = true;
    for (int k = 0; k < lead.trailing; ++k) {
      const size_t at = i + taken;
      const unsigned char low = k == 0 ? lead.low : 0x80;
      const unsigned char high = k == 0 ? lead.high : 0xBF;
      if (at >= utf8.size()) {
        complete = false;
        break;
      }
      const auto c = static_cast<unsigned char>(utf8[at]);
      if (c < low || c > high) {
        complete = false;
        break;
      }
      codePoint = (codePoint << 6) | (c & 0x3Fu);
      ++taken;
    }
    // An incomplete sequence is one "?" for all bytes it consumed; the byte that
    // broke it starts afresh.
    if (!complete || codePoint > 0xFF)
      out += '?';
    else
      out += static_cast<char>(codePoint);
    i += taken;
  }
  return out;
}

const std::string& IniGroup::Value(std::string_view key) const {
  static const std::string kEmpty;
  for (const auto& entry : entries)
    if (EqualsIgnoreAsciiCase(entry.first, key)) return entry.second;
  return kEmpty;
}

std::vector<IniGroup> ParseIni(std::string_view bytes) {
  std::string decoded;
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    // Decoding before splitting is safe: no decoded character is a line end,
    // blank or one of the marks "[", "]", "=", ";" unless it was that ASCII byte.
    decoded = DecodeUtf8To8Bit(bytes.substr(kByteOrderMark.size()));
    bytes = decoded;
  }

  std::vector<IniGroup> groups;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = pos;
    while (end < bytes.size() && !IsLineEnd(bytes[end])) ++end;
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end;
    while (pos < bytes.size() && IsLineEnd(bytes[pos])) ++pos;

    size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    line.remove_prefix(first);
    if (line.empty() || line.front() == ';') continue;

    if (line.front() == '[') {
      const std::string_view rest = line.substr(1);
      groups.push_back(IniGroup{std::string(rest.substr(0, rest.find(']'))), {}});
      continue;
    }
    if (groups.empty()) continue;

    const size_t equals = line.find('=');
    std::string_view key = line.substr(0, equals);
    while (!key.empty() && IsBlank(key.back())) key.remove_suffix(1);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : TrimBlanksAndTabs(line.substr(equals + 1));
    groups.back().entries.emplace_back(std::string(key), std::string(value));
  }
  return groups;
}

std::vector<IniGroup> ReadIniFile(const std::string& path) {
  // A definition file that cannot be read (missing, a folder, a pipe that
  // would block) only means "no groups".
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return {};
  return ParseIni(bytes);
}

}  // namespace tonvert
