// Binary literals such as %1010; a "%" without binary digits is the percent operator. The value
// must fit in 32 bits; leading zeros do not count.
#include "lexer/scanners.h"

#include "lexer/reader.h"
#include "toolchain/characters.h"

#include <string_view>

namespace VEXA::Lexer::Scanner {

namespace {

constexpr size_t kMaxDigits = 32;

}  // namespace

bool Binary::accept(Reader&, int c) const {
  return c == '%';
}

Token Binary::scan(Reader& reader, int) const {
  reader.takeWhile([](int c) { return c == '0' || c == '1'; });
  const std::string_view digits = reader.lexeme().substr(1);
  if (digits.empty()) return reader.makeToken(TokenKind::Percent, "%");
  if (exceedsSignificant(digits, kMaxDigits)) return reader.errorToken(Code::BinaryLiteralTooLong);
  return reader.makeToken(TokenKind::BinaryLiteral);
}

}  // namespace VEXA::Lexer::Scanner
