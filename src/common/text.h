// Small text helpers shared by every subsystem: the one rule for numbers typed by
// users, the decimal and two-digit hexadecimal forms of the output, ASCII-only
// case folding (all texts are 8-bit, never locale-dependent).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tonvert {

// Leading spaces/tabs, an optional sign, then "$"+hex, "%"+binary or decimal
// digits up to the first character that does not belong. Digits accumulate in
// 64 bits (wrapping), the sign is applied, and the low 32 bits are the result.
// Text without such digits gives 0.
int32_t TextToNumber(std::string_view text);

// Decimal digits, "-" when negative, no padding.
std::string DecimalForm(int64_t n);

// Upper-case hex without leading zeros, padded with "0" to two characters and
// cut to its first two (256 gives "10").
std::string HexByte(uint64_t n);

// The blanks of every text the user types or edits: space and tab.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// 0-15 for a hexadecimal digit of either case, -1 for anything else.
int HexDigitValue(char c);

char AsciiUpper(char c);
std::string AsciiUpper(std::string_view text);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// Spaces and tabs only; line ends are never trimmed by these.
std::string_view TrimBlanksAndTabs(std::string_view text);
std::string_view TrimSpaces(std::string_view text);

}  // namespace tonvert
