// The settings store on memory: an arbitrary settings file is parsed, the five
// settings are read, one is written as the window's close does, and the file
// is written out and read back. Whatever the file held, the written value reads
// back as written, the other four keep their texts, and the file's other lines
// survive the rewrite.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "settings/registry_text.h"
#include "settings/registry_types.h"

namespace tonvert::fuzz {
namespace {

constexpr RootKey kRoot = RootKey::kLocalMachine;
constexpr std::string_view kSubkey = "SOFTWARE\\Farrow\\FARROW_TONVERT";
constexpr const char* kNames[5] = {"in", "out", "rpp", "ticks", "mapper"};

// A value as the settings read it; "" for a missing one (the caller's default).
std::string ReadValue(const RegistryDocument& document, std::string_view name) {
  const RegistryValue* value = document.FindValue(kRoot, kSubkey, name);
  return value == nullptr ? std::string() : RegistryValueText(value->type, value->data);
}

// The kept text of every line, in order: what a rewrite must not lose.
std::string KeptText(const RegistryDocument& document) {
  std::string text;
  for (const RegistryLine& line : document.preamble) text += line.text + '\n';
  for (const RegistrySection& section : document.sections) {
    text += section.header + '\n';
    for (const RegistryLine& line : section.lines) text += line.text + '\n';
  }
  return text;
}

}  // namespace
}  // namespace tonvert::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tonvert;
  using namespace tonvert::fuzz;
  if (size < 1) return 0;
  // The first byte picks the setting to write; the text written is the last
  // line of the input, as a user could have typed it into a field.
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const char* name = kNames[data[0] % 5];
  std::string text(bytes.substr(bytes.find_last_of('\n') == std::string_view::npos ? 0 : bytes.find_last_of('\n') + 1));
  text = text.substr(0, text.find('\0'));
  if (!text.empty() && text.back() == '\r') text.pop_back();

  RegistryDocument document = ParseRegistryText(bytes);
  std::string before[5];
  for (int k = 0; k < 5; ++k) before[k] = ReadValue(document, kNames[k]);

  // A rewrite of an untouched file reads the same.
  const std::string first = SerializeRegistryText(document);
  const RegistryDocument reread = ParseRegistryText(first);
  if (KeptText(reread) != KeptText(document)) Fail("a rewrite changed the file's lines");
  for (int k = 0; k < 5; ++k)
    if (ReadValue(reread, kNames[k]) != before[k]) Fail(std::string("a rewrite changed ") + kNames[k]);
  if (SerializeRegistryText(reread) != first) Fail("a second rewrite differs from the first");

  // The start-up's key creation, then the close's write.
  if (!document.AddKey(kRoot, kSubkey)) Fail("the settings key cannot be added");
  RegistryValue value;
  value.type = kRegSz;
  value.data = text + '\0';
  if (!document.SetValue(kRoot, kSubkey, name, value)) Fail("the setting cannot be set");

  const RegistryDocument after = ParseRegistryText(SerializeRegistryText(document));
  for (int k = 0; k < 5; ++k) {
    const std::string expected = kNames[k] == std::string(name) ? text : before[k];
    const std::string got = ReadValue(after, kNames[k]);
    if (got != expected) Fail(std::string("setting ") + kNames[k] + " reads \"" + got + "\", not \"" + expected + "\"");
  }
  return 0;
}
