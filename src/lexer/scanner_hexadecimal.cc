// Hexadecimal literals such as '1F. The value must fit in 32 bits; leading zeros do not count.
#include "lexer/scanners.h"

#include "lexer/reader.h"
#include "toolchain/characters.h"

#include <string_view>

namespace VEXA::Lexer::Scanner {

namespace {

constexpr size_t kMaxDigits = 8;

}  // namespace

bool Hexadecimal::accept(Reader&, int c) const {
  return c == '\'';
}

Token Hexadecimal::scan(Reader& reader, int) const {
  reader.takeWhile(isHexDigit);
  const std::string_view digits = reader.lexeme().substr(1);
  if (digits.empty()) return reader.errorToken(Code::Unterminated, "hexadecimal literal");
  if (exceedsSignificant(digits, kMaxDigits)) return reader.errorToken(Code::HexLiteralTooLong);
  return reader.makeToken(TokenKind::HexLiteral);
}

}  // namespace VEXA::Lexer::Scanner
