// Operators and register literals. "+", "-" and "%" reach this scanner only when called directly:
// in the scanner list the number and binary scanners take them first.
#include "lexer/scanners.h"

#include "lexer/reader.h"
#include "toolchain/characters.h"

namespace VEXA::Lexer::Scanner {

namespace {

// The bytes of `operators`, as a switch rather than a search: this runs for every operator and
// line feed.
constexpr bool isOperatorByte(int c) {
  switch (c) {
    case '-':
    case '+':
    case '%':
    case '*':
    case '(':
    case ')':
    case ':':
    case ',':
    case '=':
    case '\n':
      return true;
    default:
      return false;
  }
}

// The switch and the list agree.
constexpr bool matchesList() {
  size_t taken = 0;
  for (int c = 0; c < 256; ++c) {
    if (!isOperatorByte(c)) continue;
    if (Operator::operators.find(static_cast<char>(c)) == std::string_view::npos) return false;
    ++taken;
  }
  return taken == Operator::operators.size();
}
static_assert(matchesList());

}  // namespace

bool Operator::accept(Reader&, int c) const {
  return isOperatorByte(c);
}

Token Operator::scan(Reader& reader, int c) const {
  if (const TokenKind kind = alone(c); kind != TokenKind::None) return reader.makeToken(kind);
  switch (c) {
    case '*':
      if (reader.acceptChar('+')) return reader.makeToken(TokenKind::StarPlus);
      if (reader.acceptChar('-')) return reader.makeToken(TokenKind::StarMinus);
      return reader.makeToken(TokenKind::Star);
    case '=': {
      if (!isLetter(reader.peek()))
        return reader.errorToken(Code::Unterminated, "register literal");
      const int letter = reader.get();
      const char lower = static_cast<char>(toLower(letter));
      // Outside strict mode the letter may be written in upper case.
      const bool allowed =
          registers.find(static_cast<char>(letter)) != std::string_view::npos ||
          (!reader.context().rules().strict && registers.find(lower) != std::string_view::npos);
      if (!allowed) return reader.errorToken(Code::UnknownRegister);
      // The letter in lower case: one byte of the fixed list, which outlives every token.
      return reader.makeToken(TokenKind::RegisterLiteral,
                              registers.substr(registers.find(lower), 1));
    }
    default:
      return reader.errorToken(Code::Unhandled, "Lexer::Scanner::Operator.scan");
  }
}

}  // namespace VEXA::Lexer::Scanner
