// The registry editor's export format, version 4, held in memory: parse any bytes
// into a document, change keys and values, and write it back. Lines the store does
// not understand are kept as they stand, so a rewrite loses nothing a user put in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/registry_types.h"

namespace tonvert {

struct RegistryValue {
  uint32_t type = kRegSz;
  std::string data;  // the stored bytes; REG_SZ data ends with its terminating zero

  bool operator==(const RegistryValue& other) const {
    return type == other.type && data == other.data;
  }
};

// One logical line: a value, or a line kept without being understood.
struct RegistryLine {
  // As it will be written: the physical lines of a continued value joined by CR LF.
  std::string text;
  bool isValue = false;
  std::string name;  // "" is the key's default value ("@")
  RegistryValue value;
};

struct RegistrySection {
  std::string header;  // the "[...]" line as it will be written
  // kNone for a header that names no key (it and its lines are only kept).
  RootKey root = RootKey::kNone;
  std::string subkey;
  std::vector<RegistryLine> lines;
};

struct RegistryDocument {
  bool hasHeader = false;  // reading only: a rewrite always starts with "REGEDIT4"
  std::vector<RegistryLine> preamble;  // lines before the first section
  std::vector<RegistrySection> sections;

  bool HasKey(RootKey root, std::string_view subkey) const;
  // Sections of one key merge; of several lines for one name the last wins.
  const RegistryValue* FindValue(RootKey root, std::string_view subkey,
                                 std::string_view name) const;
  // A new section at the end. False when the key cannot be written into the file.
  bool AddKey(RootKey root, std::string_view subkey);
  // Into the last section of the key (the one that wins on reading): the last line of
  // the name is replaced, else a line is added at the section's end. False when the
  // key has no section or the name cannot be written into the file.
  bool SetValue(RootKey root, std::string_view subkey, std::string_view name,
                const RegistryValue& value);
};

// A key or value name the file can hold: one line, and a subkey that does not
// start with "\" (the registry refuses those, and the header would read back as
// another key).
bool IsStorableSubkey(std::string_view subkey);
bool IsStorableName(std::string_view name);

// Never fails: what is not understood becomes kept lines. CR LF or LF line ends.
RegistryDocument ParseRegistryText(std::string_view text);
// "REGEDIT4", an empty line, then the preamble and each section, each followed by
// one empty line; CR LF line ends.
std::string SerializeRegistryText(const RegistryDocument& document);
// One value as the editor writes it: "text" for plain REG_SZ, dword:, else hex
// bytes (hex(N): for types other than REG_BINARY) wrapped at 80 columns.
std::string RegistryValueLine(std::string_view name, const RegistryValue& value);

}  // namespace tonvert
