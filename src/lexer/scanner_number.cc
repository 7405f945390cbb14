// Decimal numbers. The token keeps the number's text; the value is converted later, by whoever
// reads the token. Here the fraction form is converted only to tell integral values ("2.0") from
// fractional ones ("2.5"); exponent forms are never converted and take their kind from the form.
#include "lexer/scanners.h"

#include "lexer/reader.h"
#include "toolchain/characters.h"
#include "toolchain/number_text.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace VEXA::Lexer::Scanner {

namespace {

// How far a value may lie from the nearest integer and still count as integral.
constexpr float kIntegralTolerance = 0.00001f;

// The token text: the sign, if any, directly followed by the number (blanks after the sign are
// dropped).
std::string numberText(const Reader& reader, char sign, size_t prefixLength) {
  const std::string_view digits = reader.lexeme().substr(prefixLength);
  std::string text;
  text.reserve(digits.size() + 1);
  if (sign != 0) text.push_back(sign);
  text.append(digits);
  return text;
}

// The token, with the lexeme itself as its text when that already is the text (no sign, or a
// sign without blanks), so the common case copies nothing.
Token numberToken(Reader& reader, TokenKind kind, char sign, size_t prefixLength) {
  if (prefixLength <= 1) return reader.makeToken(kind);
  return reader.makeToken(kind, reader.keep(numberText(reader, sign, prefixLength)));
}

// The exponent after "e" or "E": an optional sign and at least one digit.
Token exponent(Reader& reader, TokenKind kind, char sign, size_t prefixLength) {
  if (!reader.acceptChar('+')) reader.acceptChar('-');
  if (!isDigit(reader.peek())) return reader.errorToken(Code::MissingExponentDigits);
  reader.takeWhile(isDigit);
  return numberToken(reader, kind, sign, prefixLength);
}

}  // namespace

bool Number::accept(Reader&, int c) const {
  return isDigit(c) || c == '.' || c == '+' || c == '-';
}

Token Number::scan(Reader& reader, int c) const {
  char sign = 0;
  size_t prefixLength = 0;
  if (c == '+' || c == '-') {
    sign = static_cast<char>(c);
    const Toolchain::Position signStart = reader.tokenStart;
    reader.takeWhile(isInlineBlank);
    const int next = reader.peek();
    if (!isDigit(next) && next != '.') {
      // An operator. It covers the sign alone (its text the lexeme's first byte); the blanks
      // after it stay consumed.
      Token token = reader.makeToken(c == '+' ? TokenKind::Plus : TokenKind::Minus,
                                     reader.lexeme().substr(0, 1));
      token.range = {signStart, {signStart.line, signStart.character + 1}};
      return token;
    }
    prefixLength = reader.lexeme().size();
    c = reader.get();
  }

  if (c != '.') {
    reader.takeWhile(isDigit);
  }

  // A number has one point at most: when it starts with "." that is its point, and a second
  // "." is left for the next token.
  if ((c == '.' || reader.acceptChar('.')) && isDigit(reader.peek())) {
    reader.takeWhile(isDigit);
    if (reader.acceptChar('e') || reader.acceptChar('E')) {
      return exponent(reader, TokenKind::Real, sign, prefixLength);
    }
    if (prefixLength <= 1) return reader.makeToken(classify(reader.lexeme()));
    std::string text = numberText(reader, sign, prefixLength);
    const TokenKind kind = classify(text);
    return reader.makeToken(kind, reader.keep(text));
  }

  // No fraction: "12", or "12." whose point stays in the text.
  if (reader.acceptChar('e') || reader.acceptChar('E')) {
    return exponent(reader, TokenKind::Integer, sign, prefixLength);
  }
  return numberToken(reader, TokenKind::Integer, sign, prefixLength);
}

TokenKind Number::classify(std::string_view text) {
  // from_chars takes no "+"; it reads the same value without it.
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  // from_chars, unlike strtof, ignores the host's locale (whose decimal point may be a comma)
  // and never throws.
  float value = 0.0f;
  const std::from_chars_result result =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (result.ec == std::errc::result_out_of_range) {
    // The value is left unset. Above the range no integral single-precision value stands for it,
    // so it is Real (what the value would be as infinity, too). Below it the magnitude is far
    // closer to 0 than the tolerance, so it is the integer 0. A leading "-" is no digit.
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    return aboveSingleRange(text) ? TokenKind::Real : TokenKind::Integer;
  }
  // The scanner only passes well-formed texts; anything unreadable is no integral number.
  if (result.ec != std::errc()) return TokenKind::Real;
  return std::fabs(std::round(value) - value) <= kIntegralTolerance ? TokenKind::Integer
                                                                    : TokenKind::Real;
}

}  // namespace VEXA::Lexer::Scanner
