#include <gtest/gtest.h>

#include <random>

#include "settings/registry_text.h"

namespace tonvert {
namespace {

// Everything a parse understood, in order, for comparing two parses.
std::string Dump(const RegistryDocument& document) {
  std::string out;
  auto lines = [&out](const std::vector<RegistryLine>& list) {
    for (const RegistryLine& line : list)
      out += line.isValue ? "v " + line.name + "=" + std::to_string(line.value.type) + ":" +
                                line.value.data + "\n"
                          : "? " + line.text + "\n";
  };
  lines(document.preamble);
  for (const RegistrySection& section : document.sections) {
    out += section.header + " " + std::to_string(static_cast<int>(section.root)) + " " +
           section.subkey + "\n";
    lines(section.lines);
  }
  return out;
}

TEST(settings, TextEveryValueTypeRoundTripsWithinTheEditorsLineWidth) {
  const std::vector<RegistryValue> values = {
      {kRegSz, std::string("C:\\a \"b\"\0", 9)}, {kRegSz, std::string("a\r\nb\0", 5)},
      {kRegDword, std::string("\x20\0\0\x80", 4)}, {kRegBinary, ""},
      {kRegBinary, std::string(300, '\xAB')},      {kRegMultiSz, std::string("a\0b\0\0", 5)},
      {0x12345678, std::string(100, '\0')},        {kRegSz, "no terminator"}};
  RegistryDocument document;
  ASSERT_TRUE(document.AddKey(RootKey::kCurrentUser, "Software\\T"));
  for (size_t i = 0; i < values.size(); ++i)
    ASSERT_TRUE(document.SetValue(RootKey::kCurrentUser, "software\\t", "v" + std::to_string(i), values[i]));
  ASSERT_TRUE(document.SetValue(RootKey::kCurrentUser, "Software\\T", "", values[0]));

  const std::string text = SerializeRegistryText(document);
  EXPECT_NE(text.find("\"v0\"=\"C:\\\\a \\\"b\\\"\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"v2\"=dword:80000020\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"v6\"=hex(12345678):00,"), std::string::npos);
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);

  const RegistryDocument back = ParseRegistryText(text);
  EXPECT_TRUE(back.hasHeader);
  for (size_t i = 0; i < values.size(); ++i) {
    const RegistryValue* value = back.FindValue(RootKey::kCurrentUser, "SOFTWARE\\t", "V" + std::to_string(i));
    ASSERT_NE(value, nullptr) << i;
    EXPECT_EQ(*value, values[i]) << i;
  }
  EXPECT_EQ(Dump(back), Dump(document));
}

TEST(settings, TextNamesAndKeysTheFileCannotHoldAreRefused) {
  RegistryDocument document;
  EXPECT_FALSE(document.AddKey(RootKey::kNone, "a"));
  EXPECT_FALSE(document.AddKey(RootKey::kUsers, "a\nb"));
  EXPECT_FALSE(document.AddKey(RootKey::kUsers, "\\a"));
  ASSERT_TRUE(document.AddKey(RootKey::kUsers, ""));
  EXPECT_FALSE(document.SetValue(RootKey::kUsers, "", "a\rb", {}));
  EXPECT_EQ(SerializeRegistryText(document), "REGEDIT4\r\n\r\n[HKEY_USERS]\r\n\r\n");
  // The root's own section, not a subkey named after the root.
  EXPECT_TRUE(ParseRegistryText("[HKEY_USERS]").HasKey(RootKey::kUsers, ""));
}

// Arbitrary input never breaks the parser, and what it writes reads back the same.
TEST(settings, TextAnyInputParsesAndARewriteIsStable) {
  const std::vector<std::string> starts = {"[HKEY_CURRENT_USER\\a", "[hkey_users]", "\"n\"=hex:",
                                           "@=hex(7):", "\"n\"=dword:", "\"N\"=\"", "REGEDIT4", "", ";"};
  const std::vector<std::string> pieces = {"[", "]", "\\", "\"", "=", "@", "hex:", "0a", ",", " ",
                                           "\r", std::string(1, '\0'), "x", "\xff", "hex(", "):"};
  const std::vector<std::string> ends = {"\n", "\r\n", "\\\n", "\\\r\n", "\\", ""};
  std::mt19937 random(12345);
  for (int round = 0; round < 5000; ++round) {
    std::string input;
    for (int line = static_cast<int>(random() % 8); line > 0; --line) {
      input += starts[random() % starts.size()];
      for (int i = static_cast<int>(random() % 6); i > 0; --i) input += pieces[random() % pieces.size()];
      input += ends[random() % ends.size()];
    }
    const RegistryDocument first = ParseRegistryText(input);
    const std::string written = SerializeRegistryText(first);
    const RegistryDocument second = ParseRegistryText(written);
    ASSERT_EQ(Dump(second), Dump(first)) << testing::PrintToString(input);
    ASSERT_EQ(SerializeRegistryText(second), written) << testing::PrintToString(input);
  }
}

}  // namespace
}  // namespace tonvert
