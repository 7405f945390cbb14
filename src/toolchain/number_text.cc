// Number text conversions. std::from_chars is locale-independent and never throws; where it reports
// a value out of range it leaves the result untouched, so the saturated value is chosen here from
// the text itself.
#include "toolchain/number_text.h"

#include "toolchain/characters.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace VEXA {

// The decimal order of the significand (number of digits before the point once leading zeros are
// dropped, or minus the number of zeros right after the point) plus the exponent tells the two
// apart: overflow needs an order near +39, underflow one near -45.
bool aboveSingleRange(std::string_view text) {
  size_t i = 0;
  int64_t order = 0;
  bool significant = false;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    if (text[i] != '0') significant = true;
    if (significant) ++order;
  }
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && isDigit(text[i]); ++i) {
      if (significant) continue;
      if (text[i] != '0') {
        significant = true;
      } else {
        --order;
      }
    }
  }
  int64_t exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Clamped well past any meaningful exponent so that a long digit run cannot overflow.
    constexpr int64_t kClamp = int64_t{1} << 40;
    for (; i < text.size() && isDigit(text[i]); ++i) {
      if (exponent < kClamp) exponent = exponent * 10 + (text[i] - '0');
    }
    if (negative) exponent = -exponent;
  }
  return order + exponent > 0;
}

float singleFromText(std::string_view text) {
  bool negative = false;
  size_t start = 0;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    start = 1;
  }
  // from_chars takes no sign of its own here, so that "+-1" is not read as a number either.
  if (start >= text.size() || (!isDigit(text[start]) && text[start] != '.')) return 0.0f;
  const std::string_view magnitude = text.substr(start);

  // Up to seven decimal digits are below 2^24, exact in single precision: the digits' value is
  // what from_chars would return, at a fraction of its cost (most literals are like this).
  if (magnitude.size() <= 7) {
    uint32_t digits = 0;
    size_t i = 0;
    for (; i < magnitude.size() && isDigit(magnitude[i]); ++i)
      digits = digits * 10 + (magnitude[i] - '0');
    if (i == magnitude.size()) {
      const float exact = static_cast<float>(digits);
      return negative ? -exact : exact;
    }
  }

  float value = 0.0f;
  const auto [end, error] = std::from_chars(magnitude.data(), magnitude.data() + magnitude.size(),
                                            value, std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    value = aboveSingleRange(magnitude.substr(0, static_cast<size_t>(end - magnitude.data())))
                ? std::numeric_limits<float>::max()
                : 0.0f;
  } else if (error != std::errc()) {
    return 0.0f;
  }
  return negative ? -value : value;
}

int64_t truncateToInt64(float value) {
  if (std::isnan(value)) return 0;
  // 2^63 is exact in single precision; every float below it truncates into range.
  constexpr float kLimit = 9223372036854775808.0f;
  if (value >= kLimit) return std::numeric_limits<int64_t>::max();
  if (value < -kLimit) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

uint32_t unsignedFromDigits(std::string_view digits, int base) {
  uint32_t value = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  (void)end;
  if (error == std::errc::result_out_of_range) return std::numeric_limits<uint32_t>::max();
  return value;
}

}  // namespace VEXA
