// What every registry implementation shares: how a key path names its root key
// and subkey, the value types, and how a stored value reads as text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tonvert {

enum class RootKey { kNone, kClassesRoot, kCurrentUser, kLocalMachine, kUsers, kCurrentConfig };

// The path's first component, upper-cased, looked up among the five root names;
// anything else (an abbreviation such as "HKLM" too) is kNone.
RootKey RootKeyFromPath(std::string_view path);
// The text after the first "\" (the whole text when there is none), less one more
// leading "\", so "ROOT\\a" and "ROOT\a" address the same key. A trailing "\" stays.
std::string SubkeyFromPath(std::string_view path);
// "HKEY_LOCAL_MACHINE" and so on; "" for kNone.
const char* RootKeyName(RootKey root);

// Value types, numbered as the registry numbers them (and as "hex(N):" writes them).
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;

// A value as the settings read it: REG_SZ and REG_EXPAND_SZ as their text up to
// the terminating zero (no expansion), REG_DWORD (four bytes, little-endian) as
// signed decimal, REG_BINARY as upper-case hex pairs, any other type "".
std::string RegistryValueText(uint32_t type, std::string_view data);

}  // namespace tonvert
