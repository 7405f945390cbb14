// Hexadecimal literals such as '1F. The value must fit in 32 bits; leading zeros do not count.
#include "lexer/scanner_hexadecimal.h"

#include "lexer/characters.h"
#include "lexer/reader.h"

#include <string_view>

namespace VEXA::Lexer::Scanner {

namespace {

constexpr uint16_t kUnterminated = 1302;
constexpr uint16_t kHexTooLong = 3101;
constexpr size_t kMaxDigits = 8;

}  // namespace

bool Hexadecimal::accept(Reader&, int c) const {
  return c == '\'';
}

Token Hexadecimal::scan(Reader& reader, int) const {
  while (isHexDigit(reader.peek())) reader.get();
  const std::string_view digits = std::string_view(reader.lexeme).substr(1);
  if (digits.empty()) return reader.errorToken(kUnterminated, "hexadecimal literal");
  if (exceedsSignificant(digits, kMaxDigits)) return reader.errorToken(kHexTooLong);
  return reader.makeToken(TokenKind::HexLiteral);
}

}  // namespace VEXA::Lexer::Scanner
