#include "settings/registry_text.h"

#include "common/text.h"

namespace tonvert {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr size_t kLineWidth = 80;  // the editor wraps hex data to this width

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

void TrimRightInPlace(std::string& text) {
  while (!text.empty() && IsBlank(text.back())) text.pop_back();
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

void SkipBlanks(std::string_view text, size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
}

// Reads 1 to maxDigits hex digits at pos.
bool ReadHexNumber(std::string_view text, size_t& pos, size_t maxDigits, uint32_t& value) {
  value = 0;
  size_t digits = 0;
  for (; pos < text.size() && digits < maxDigits && HexDigitValue(text[pos]) >= 0; ++pos, ++digits)
    value = value << 4 | static_cast<uint32_t>(HexDigitValue(text[pos]));
  return digits > 0;
}

// A quoted text at text[pos] == '"'. Only \\ and \" are escapes in this format; a
// backslash before anything else is kept, so a hand-typed C:\temp survives.
bool ReadQuoted(std::string_view text, size_t& pos, std::string& out) {
  out.clear();
  for (++pos; pos < text.size();) {
    char c = text[pos++];
    if (c == '"') return true;
    if (c == '\\' && pos < text.size() && (text[pos] == '\\' || text[pos] == '"')) c = text[pos++];
    out += c;
  }
  return false;
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

// `"name"=` or `@=`, blanks allowed around "="; dataPos is where the data starts.
bool ReadValueStart(std::string_view line, std::string& name, size_t& dataPos) {
  size_t pos = 0;
  SkipBlanks(line, pos);
  if (pos < line.size() && line[pos] == '@') {
    name.clear();
    ++pos;
  } else if (pos >= line.size() || line[pos] != '"' || !ReadQuoted(line, pos, name)) {
    return false;
  }
  SkipBlanks(line, pos);
  if (pos >= line.size() || line[pos] != '=') return false;
  ++pos;
  SkipBlanks(line, pos);
  dataPos = pos;
  return true;
}

// Comma-separated bytes of one or two hex digits; an empty list and a trailing
// comma are accepted.
bool ReadHexBytes(std::string_view list, std::string& bytes) {
  bytes.clear();
  size_t pos = 0;
  for (;;) {
    SkipBlanks(list, pos);
    if (pos == list.size()) return true;
    uint32_t byte = 0;
    if (!ReadHexNumber(list, pos, 2, byte)) return false;
    bytes += static_cast<char>(byte);
    SkipBlanks(list, pos);
    if (pos == list.size()) return true;
    if (list[pos++] != ',') return false;
  }
}

bool ReadData(std::string_view data, RegistryValue& value) {
  while (!data.empty() && IsBlank(data.back())) data.remove_suffix(1);
  size_t pos = 0;
  uint32_t number = 0;
  if (!data.empty() && data.front() == '"') {
    std::string text;
    if (!ReadQuoted(data, pos, text) || pos != data.size()) return false;
    value.type = kRegSz;
    value.data = text + '\0';
    return true;
  }
  if (StartsWithIgnoreCase(data, "dword:")) {
    pos = 6;
    if (!ReadHexNumber(data, pos, 8, number) || pos != data.size()) return false;
    value.type = kRegDword;
    value.data.clear();
    for (int i = 0; i < 4; ++i) value.data += static_cast<char>(number >> (8 * i) & 0xFF);
    return true;
  }
  if (StartsWithIgnoreCase(data, "hex:")) {
    value.type = kRegBinary;
    return ReadHexBytes(data.substr(4), value.data);
  }
  if (StartsWithIgnoreCase(data, "hex(")) {
    pos = 4;
    if (!ReadHexNumber(data, pos, 8, number) || data.substr(pos, 2) != "):") return false;
    value.type = number;
    return ReadHexBytes(data.substr(pos + 2), value.data);
  }
  return false;
}

bool EndsWithBackslash(std::string& logical) {
  TrimRightInPlace(logical);
  return !logical.empty() && logical.back() == '\\';
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
  }
  return lines;
}

RegistrySection ReadSectionHeader(std::string_view line) {
  RegistrySection section;
  section.header = std::string(line);
  const std::string_view trimmed = TrimLeft(line);
  // As the editor does: the path ends at the last "]"; a header without one names
  // no key, so the lines under it belong to none.
  const size_t close = trimmed.rfind(']');
  if (close == std::string_view::npos) return section;
  const std::string_view path = trimmed.substr(1, close - 1);
  section.root = RootKeyFromPath(path);
  // "[HKEY_CURRENT_USER]" is the root itself, not a subkey named after it.
  if (path.find('\\') != std::string_view::npos) section.subkey = SubkeyFromPath(path);
  return section;
}

bool SectionIs(const RegistrySection& section, RootKey root, std::string_view subkey) {
  return root != RootKey::kNone && section.root == root &&
         EqualsIgnoreAsciiCase(section.subkey, subkey);
}

void AppendLowerHex(std::string& out, uint32_t value, int digits) {
  static const char kDigits[] = "0123456789abcdef";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) out += kDigits[value >> shift & 0xF];
}

}  // namespace

bool IsStorableName(std::string_view name) {
  return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool IsStorableSubkey(std::string_view subkey) {
  return IsStorableName(subkey) && (subkey.empty() || subkey.front() != '\\');
}

bool RegistryDocument::HasKey(RootKey root, std::string_view subkey) const {
  for (const RegistrySection& section : sections)
    if (SectionIs(section, root, subkey)) return true;
  return false;
}

const RegistryValue* RegistryDocument::FindValue(RootKey root, std::string_view subkey,
                                                 std::string_view name) const {
  const RegistryValue* found = nullptr;
  for (const RegistrySection& section : sections) {
    if (!SectionIs(section, root, subkey)) continue;
    for (const RegistryLine& line : section.lines)
      if (line.isValue && EqualsIgnoreAsciiCase(line.name, name)) found = &line.value;
  }
  return found;
}

bool RegistryDocument::AddKey(RootKey root, std::string_view subkey) {
  if (HasKey(root, subkey)) return true;
  if (root == RootKey::kNone || !IsStorableSubkey(subkey)) return false;
  RegistrySection section;
  section.header = std::string("[") + RootKeyName(root);
  if (!subkey.empty()) section.header += "\\" + std::string(subkey);
  section.header += "]";
  section.root = root;
  section.subkey = std::string(subkey);
  sections.push_back(std::move(section));
  return true;
}

bool RegistryDocument::SetValue(RootKey root, std::string_view subkey, std::string_view name,
                                const RegistryValue& value) {
  if (!IsStorableName(name)) return false;
  RegistrySection* target = nullptr;
  for (RegistrySection& section : sections)
    if (SectionIs(section, root, subkey)) target = &section;
  if (target == nullptr) return false;
  RegistryLine* existing = nullptr;
  for (RegistryLine& line : target->lines)
    if (line.isValue && EqualsIgnoreAsciiCase(line.name, name)) existing = &line;
  if (existing == nullptr) {
    target->lines.emplace_back();
    existing = &target->lines.back();
    existing->isValue = true;
    existing->name = std::string(name);
  }
  // An existing value keeps the spelling of its name, as in the registry.
  existing->value = value;
  existing->text = RegistryValueLine(existing->name, value);
  return true;
}

RegistryDocument ParseRegistryText(std::string_view text) {
  RegistryDocument document;
  const std::vector<std::string_view> physical = SplitLines(text);
  bool seenContent = false;
  for (size_t i = 0; i < physical.size(); ++i) {
    const std::string_view line = physical[i];
    const std::string_view trimmed = TrimLeft(line);
    if (trimmed.empty()) continue;
    if (!seenContent) {
      seenContent = true;
      if (TrimBlanksAndTabs(line) == kHeader) {
        document.hasHeader = true;
        continue;
      }
    }
    if (trimmed.front() == '[') {
      document.sections.push_back(ReadSectionHeader(line));
      continue;
    }
    RegistryLine entry;
    entry.text = std::string(line);
    std::string logical(line);
    size_t dataPos = 0;
    // Only hex data continues onto the next line, as the editor writes it; a
    // comment ending in "\" must not swallow the value after it.
    if (ReadValueStart(line, entry.name, dataPos) && StartsWithIgnoreCase(line.substr(dataPos), "hex")) {
      while (EndsWithBackslash(logical)) {
        logical.pop_back();
        entry.text += "\r\n";
        // At the end of the text an empty line stands in for the missing one, so
        // that the rewrite, where other lines follow, reads back the same.
        if (i + 1 < physical.size()) {
          ++i;
          entry.text += physical[i];
          logical += TrimLeft(physical[i]);
        }
      }
    }
    entry.isValue = ReadValueStart(logical, entry.name, dataPos) &&
                    ReadData(std::string_view(logical).substr(dataPos), entry.value);
    if (!entry.isValue) {
      entry.name.clear();
      entry.value = RegistryValue();
    }
    (document.sections.empty() ? document.preamble : document.sections.back().lines)
        .push_back(std::move(entry));
  }
  return document;
}

std::string SerializeRegistryText(const RegistryDocument& document) {
  std::string out = std::string(kHeader) + "\r\n\r\n";
  if (!document.preamble.empty()) {
    for (const RegistryLine& line : document.preamble) out += line.text + "\r\n";
    out += "\r\n";
  }
  for (const RegistrySection& section : document.sections) {
    out += section.header + "\r\n";
    for (const RegistryLine& line : section.lines) out += line.text + "\r\n";
    out += "\r\n";
  }
  return out;
}

std::string RegistryValueLine(std::string_view name, const RegistryValue& value) {
  std::string line = name.empty() ? "@=" : Quoted(name) + "=";
  const std::string_view data = value.data;
  // A quoted text holds no line end and ends at its zero; anything else goes as hex.
  if (value.type == kRegSz && !data.empty() && data.find('\0') == data.size() - 1 &&
      data.find_first_of("\r\n") == std::string_view::npos)
    return line + Quoted(data.substr(0, data.size() - 1));
  if (value.type == kRegDword && data.size() == 4) {
    uint32_t number = 0;
    for (size_t i = 4; i-- > 0;) number = number << 8 | static_cast<unsigned char>(data[i]);
    line += "dword:";
    AppendLowerHex(line, number, 8);
    return line;
  }
  if (value.type == kRegBinary) {
    line += "hex:";
  } else {
    line += "hex(";
    int digits = 1;
    while (digits < 8 && (value.type >> (4 * digits)) != 0) ++digits;
    AppendLowerHex(line, value.type, digits);
    line += "):";
  }
  size_t lineStart = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    // Room for "xx," and a continuation "\" within the width.
    if (i > 0 && line.size() - lineStart + 4 > kLineWidth) {
      line += "\\\r\n  ";
      lineStart = line.size() - 2;
    }
    AppendLowerHex(line, static_cast<unsigned char>(data[i]), 2);
    if (i + 1 < data.size()) line += ',';
  }
  return line;
}

}  // namespace tonvert
