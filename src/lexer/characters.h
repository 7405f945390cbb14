// Byte classes of the lexer. They are those of the C locale, ASCII only, whatever locale the host
// process runs in: a byte of 128 or above belongs to no class. -1 (the end of the input) belongs
// to none either.
#pragma once

#include <cstddef>
#include <string_view>

namespace VEXA::Lexer {

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
// Characters after the first one of a word ("!" may only start a word).
constexpr bool isWordChar(int c) {
  return isLetter(c) || isDigit(c) || c == '_' || c == '.';
}
// Whether a literal's digits stand for more than `limit` digits once leading zeros are dropped
// (a literal of zeros only has none).
constexpr bool exceedsSignificant(std::string_view digits, size_t limit) {
  const size_t first = digits.find_first_not_of('0');
  return first != std::string_view::npos && digits.size() - first > limit;
}
constexpr int toLower(int c) {
  return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
}

}  // namespace VEXA::Lexer
