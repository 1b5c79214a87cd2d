#include "settings/registry_types.h"

#include "common/text.h"

namespace tonvert {

namespace {

struct RootName {
  const char* name;
  RootKey root;
};

constexpr RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", RootKey::kClassesRoot},
    {"HKEY_CURRENT_USER", RootKey::kCurrentUser},
    {"HKEY_LOCAL_MACHINE", RootKey::kLocalMachine},
    {"HKEY_USERS", RootKey::kUsers},
    {"HKEY_CURRENT_CONFIG", RootKey::kCurrentConfig},
};

}  // namespace

RootKey RootKeyFromPath(std::string_view path) {
  const std::string first = AsciiUpper(path.substr(0, path.find('\\')));
  for (const RootName& entry : kRootNames)
    if (first == entry.name) return entry.root;
  return RootKey::kNone;
}

std::string SubkeyFromPath(std::string_view path) {
  const size_t slash = path.find('\\');
  if (slash == std::string_view::npos) return std::string(path);
  std::string_view rest = path.substr(slash + 1);
  if (!rest.empty() && rest.front() == '\\') rest.remove_prefix(1);
  return std::string(rest);
}

const char* RootKeyName(RootKey root) {
  for (const RootName& entry : kRootNames)
    if (entry.root == root) return entry.name;
  return "";
}

std::string RegistryValueText(uint32_t type, std::string_view data) {
  switch (type) {
    case kRegSz:
    case kRegExpandSz:
      return std::string(data.substr(0, data.find('\0')));
    case kRegDword: {
      // Any other size is a value the registry would not hand over as a DWORD.
      if (data.size() != 4) return "0";
      uint32_t value = 0;
      for (size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(data[i]);
      return DecimalForm(static_cast<int64_t>(value) - (value > 0x7FFFFFFFu ? (int64_t{1} << 32) : 0));
    }
    case kRegBinary: {
      std::string text;
      text.reserve(data.size() * 2);
      for (char c : data) text += HexByte(static_cast<unsigned char>(c));
      return text;
    }
    default:
      return "";
  }
}

}  // namespace tonvert
