// The registry editor's export format in memory. Any input parsing and
// rewriting stably is the settings fuzzer's invariant (fuzz/fuzz_settings.cpp).
#include <gtest/gtest.h>

#include "settings/registry_text.h"

namespace tonvert {
namespace {

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
  const std::string text = SerializeRegistryText(document);
  for (const char* line : {"\"v0\"=\"C:\\\\a \\\"b\\\"\"\r\n", "\"v2\"=dword:80000020\r\n", "\"v6\"=hex(12345678):00,"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);

  const RegistryDocument back = ParseRegistryText(text);
  for (size_t i = 0; i < values.size(); ++i) {
    const RegistryValue* value = back.FindValue(RootKey::kCurrentUser, "SOFTWARE\\t", "V" + std::to_string(i));
    ASSERT_NE(value, nullptr) << i;
    EXPECT_EQ(*value, values[i]) << i;
  }
  EXPECT_EQ(SerializeRegistryText(back), text);
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

}  // namespace
}  // namespace tonvert
