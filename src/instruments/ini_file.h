// The INI reader shared by "instruments.ini" and "drums.ini": ordered groups of
// key lines, looked up the way users expect from hand-edited files.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tonvert {

struct IniGroup {
  std::string name;  // the header text between "[" and "]", not trimmed
  // Key lines in file order; keys keep their spelling, lookups ignore ASCII case.
  std::vector<std::pair<std::string, std::string>> entries;

  // The first line whose key matches wins; an absent key reads as "".
  const std::string& Value(std::string_view key) const;
};

// Groups in file order; a name that occurs twice gives two groups. Key lines
// before the first header belong to no group and are dropped. Bytes starting
// with the UTF-8 byte-order mark are decoded to 8-bit characters first.
std::vector<IniGroup> ParseIni(std::string_view bytes);

// A missing or unreadable file has no groups; nothing is reported.
std::vector<IniGroup> ReadIniFile(const std::string& path);

// UTF-8 to 8-bit: code points up to U+00FF become their byte, higher ones "?",
// and every maximal ill-formed subsequence one "?".
std::string DecodeUtf8To8Bit(std::string_view utf8);

}  // namespace tonvert
