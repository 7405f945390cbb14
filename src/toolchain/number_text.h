// Conversions of number texts to the values that value nodes carry (and that the lexer consults to
// tell integral numbers from real ones). The lexer keeps numbers as text, so every conversion
// happens here, and none of them may fail: an out-of-range or malformed
// text still yields a well-defined value.
#pragma once

#include <cstdint>
#include <string_view>

namespace VEXA {

// A decimal number text (optional sign, digits, optional "." and fraction, optional exponent) as
// the nearest single-precision value. The result is always finite:
//  - a magnitude above the single-precision range gives the largest finite value of that sign;
//  - a magnitude below the smallest subnormal gives zero of that sign;
//  - a text without a leading number ("." alone, "-.") gives 0.
// Conversion stops at the first byte that does not continue the number, as C's strtof does.
float singleFromText(std::string_view text);

// Whether an unsigned decimal text that is out of the single-precision range lies above it rather
// than below it (where it would round to zero).
bool aboveSingleRange(std::string_view text);

// Truncates towards zero. Values beyond the signed 64-bit range saturate to its ends; NaN gives 0.
int64_t truncateToInt64(float value);

// Unsigned digits in base 16 or 2 (no prefix). Leading zeros are harmless; a value that does not
// fit in 32 bits saturates to 0xFFFFFFFF. Conversion stops at the first byte that is no digit.
uint32_t unsignedFromDigits(std::string_view digits, int base);

// The digits of a hexadecimal or binary literal, whose text keeps its apostrophe or "%".
constexpr std::string_view literalDigits(std::string_view text) {
  if (!text.empty()) text.remove_prefix(1);
  return text;
}

}  // namespace VEXA
