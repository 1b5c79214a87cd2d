#include <gtest/gtest.h>

#include "common/text.h"

namespace tonvert {
namespace {

TEST(TextToNumber, ReadsDecimalHexAndBinaryWithSignsAndBlanks) {
  EXPECT_EQ(TextToNumber("64"), 64);
  EXPECT_EQ(TextToNumber(" \t64"), 64);
  EXPECT_EQ(TextToNumber("64 rows"), 64);
  EXPECT_EQ(TextToNumber("$40"), 64);
  EXPECT_EQ(TextToNumber("$0c"), 12);
  EXPECT_EQ(TextToNumber("$0C"), 12);
  EXPECT_EQ(TextToNumber("%1010"), 10);
  EXPECT_EQ(TextToNumber("+7"), 7);
  EXPECT_EQ(TextToNumber("-7"), -7);
  EXPECT_EQ(TextToNumber("-$10"), -16);
  EXPECT_EQ(TextToNumber(" 12 "), 12);
  EXPECT_EQ(TextToNumber("36 kick"), 36);
}

TEST(TextToNumber, TextWithoutDigitsIsZero) {
  EXPECT_EQ(TextToNumber(""), 0);
  EXPECT_EQ(TextToNumber("abc"), 0);
  EXPECT_EQ(TextToNumber("$"), 0);
  EXPECT_EQ(TextToNumber("%2"), 0);
  EXPECT_EQ(TextToNumber("-"), 0);
  EXPECT_EQ(TextToNumber(" x12"), 0);
}

TEST(TextToNumber, KeepsTheLowThirtyTwoBitsOfAWrappingSixtyFourBitValue) {
  EXPECT_EQ(TextToNumber("4294967295"), -1);
  EXPECT_EQ(TextToNumber("4294967296"), 0);
  EXPECT_EQ(TextToNumber("2147483648"), INT32_MIN);
  EXPECT_EQ(TextToNumber("-2147483648"), INT32_MIN);
  EXPECT_EQ(TextToNumber("$FFFFFFFF80000000"), INT32_MIN);
  // 2^64 + 5 wraps to 5.
  EXPECT_EQ(TextToNumber("18446744073709551621"), 5);
  // Far longer than 64 bits: no overflow trap, a defined value.
  EXPECT_EQ(TextToNumber(std::string(500, '9')), TextToNumber(std::string(500, '9')));
}

TEST(DecimalForm, WritesSignAndNoPadding) {
  EXPECT_EQ(DecimalForm(0), "0");
  EXPECT_EQ(DecimalForm(120), "120");
  EXPECT_EQ(DecimalForm(-1), "-1");
  EXPECT_EQ(DecimalForm(INT64_MIN), "-9223372036854775808");
}

TEST(HexByte, PadsToTwoUpperCaseDigitsAndCutsLongerForms) {
  EXPECT_EQ(HexByte(0), "00");
  EXPECT_EQ(HexByte(10), "0A");
  EXPECT_EQ(HexByte(127), "7F");
  EXPECT_EQ(HexByte(255), "FF");
  EXPECT_EQ(HexByte(256), "10");
  EXPECT_EQ(HexByte(0xABC), "AB");
}

}  // namespace
}  // namespace tonvert
