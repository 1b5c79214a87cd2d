#include "common/text.h"

namespace tonvert {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int32_t TextToNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Unsigned arithmetic: wrapping modulo 2^64 is defined, so no input is UB.
  uint64_t value = 0;
  if (i < text.size() && text[i] == '$') {
    for (++i; i < text.size() && HexDigitValue(text[i]) >= 0; ++i)
      value = value * 16 + static_cast<uint64_t>(HexDigitValue(text[i]));
  } else if (i < text.size() && text[i] == '%') {
    for (++i; i < text.size() && (text[i] == '0' || text[i] == '1'); ++i)
      value = value * 2 + static_cast<uint64_t>(text[i] - '0');
  } else {
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
      value = value * 10 + static_cast<uint64_t>(text[i] - '0');
  }
  if (negative) value = 0 - value;
  const uint32_t low = static_cast<uint32_t>(value);
  // Two's-complement reading of the low 32 bits without relying on a narrowing cast.
  return low <= 0x7FFFFFFFu ? static_cast<int32_t>(low)
                            : -static_cast<int32_t>(0xFFFFFFFFu - low) - 1;
}

std::string DecimalForm(int64_t n) {
  uint64_t magnitude = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  char buffer[24];
  size_t pos = sizeof buffer;
  do {
    buffer[--pos] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (n < 0) buffer[--pos] = '-';
  return std::string(buffer + pos, sizeof buffer - pos);
}

std::string HexByte(uint64_t n) {
  static const char kDigits[] = "0123456789ABCDEF";
  char buffer[17];
  size_t pos = sizeof buffer;
  do {
    buffer[--pos] = kDigits[n % 16];
    n /= 16;
  } while (n != 0);
  std::string digits(buffer + pos, sizeof buffer - pos);
  if (digits.size() < 2) digits.insert(digits.begin(), '0');
  return digits.substr(0, 2);
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

std::string_view TrimBlanksAndTabs(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

std::string_view TrimSpaces(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  return text.substr(b, e - b);
}

}  // namespace tonvert
