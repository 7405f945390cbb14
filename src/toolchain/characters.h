// Byte classes and letter-case folding. They are those of the C locale, ASCII only, whatever locale
// the host process runs in: a byte of 128 or above belongs to no class. -1 (the end of the input)
// belongs to none either.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace VEXA {

constexpr bool isDigit(int c) {
  return c >= '0' && c <= '9';
}
constexpr bool isLetter(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr bool isHexDigit(int c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
// Space, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool isBlank(int c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
// A blank that does not end the line.
constexpr bool isInlineBlank(int c) {
  return isBlank(c) && c != '\n';
}
// Characters after the first one of a word ("!" may only start a word). A table: words are most
// of the bytes of a source, and one lookup beats four ranges.
inline constexpr std::array<bool, 256> kWordChars = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = isLetter(c) || isDigit(c) || c == '_' || c == '.';
  return table;
}();
constexpr bool isWordChar(int c) {
  return static_cast<unsigned>(c) < kWordChars.size() && kWordChars[static_cast<unsigned>(c)];
}
// Whether a literal's digits stand for more than `limit` digits once leading zeros are dropped
// (a literal of zeros only has none).
constexpr bool exceedsSignificant(std::string_view digits, size_t limit) {
  const size_t first = digits.find_first_not_of('0');
  return first != std::string_view::npos && digits.size() - first > limit;
}
// ASCII letter-case folding; every other byte, including those of 0x80 and above, is left as it
// is. Written out rather than taken from the C library, whose functions must not be given a
// negative char and would follow the host's locale.
constexpr char upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
constexpr char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr int toLower(int c) {
  return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
}
// How many continuation bytes a UTF-8 sequence that starts with `lead` (0x80 or above) announces.
constexpr int utf8Continuations(int lead) {
  return lead <= 0xDF ? 1 : lead <= 0xEF ? 2 : 3;
}

}  // namespace VEXA
