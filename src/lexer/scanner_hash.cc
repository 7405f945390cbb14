// "#" words. After the "#" (and any blanks, which draw a warning) come either decimal digits, a
// number such as "#5", or a name: a conditional keyword, a listed command, or an unknown name
// that is a command at the start of a line and a plain hash name elsewhere.
#include "lexer/scanners.h"

#include "lexer/reader.h"
#include "toolchain/characters.h"
#include "toolchain/name_hash.h"

#include <string>
#include <string_view>

namespace VEXA::Lexer::Scanner {

namespace {

// The conditional keywords are known by their hashes alone; no keyword table lists them.
constexpr uint32_t kIf = hashWord("IF");
constexpr uint32_t kElseIf = hashWord("ELSEIF");
constexpr uint32_t kElse = hashWord("ELSE");
constexpr uint32_t kEndIf = hashWord("ENDIF");

// Whether the decimal digits stand for a number above 255. Counting stops there, so a digit
// string of any length (past 64 bits too) is judged without overflow.
bool exceedsByte(std::string_view digits) {
  unsigned value = 0;
  for (const char digit : digits) {
    value = value * 10 + static_cast<unsigned>(digit - '0');
    if (value > 255) return true;
  }
  return false;
}

}  // namespace

bool Hash::accept(Reader&, int c) const {
  return c == '#';
}

Token Hash::scan(Reader& reader, int) const {
  reader.takeWhile(isInlineBlank);
  const size_t prefixLength = reader.lexeme().size();
  const int c = reader.peek();

  if (isDigit(c)) {
    reader.takeWhile(isDigit);
    if (prefixLength > 1) reader.warn(Code::BlankAfterHash);
    const std::string_view digits = reader.lexeme().substr(prefixLength);
    if (exceedsByte(digits)) reader.warn(Code::HashNumberTooLarge);
    return reader.makeToken(TokenKind::HashNumber, digits);
  }

  if (!isLetter(c) && c != '!' && c != '_') return reader.errorToken(Code::BadHashWord);

  // The first byte is taken on its own: "!" may start a name but never continues one, and
  // leaving it for the loop below would cut "#!name" into an empty name and a separate word.
  reader.get();
  reader.takeWord();
  if (prefixLength > 1) reader.warn(Code::BlankAfterHash);
  const std::string_view name = reader.lexeme().substr(prefixLength);

  switch (hashName(name, reader.context().caseMode())) {
    case kIf:
      return reader.makeToken(TokenKind::If);
    case kEndIf:
      return reader.makeToken(TokenKind::EndIf);
    case kElse:
      return reader.makeToken(TokenKind::Else);
    case kElseIf:
      return reader.makeToken(TokenKind::ElseIf);
    default:
      break;
  }

  // Commands are listed with their "#"; without blanks the lexeme is exactly that text.
  std::string spelled;
  std::string_view word = reader.lexeme();
  if (prefixLength > 1) {
    spelled.reserve(name.size() + 1);
    spelled.push_back('#');
    spelled.append(name);
    word = spelled;
  }
  TokenKind kind = reader.keywordKind(word);
  if (kind == TokenKind::Identifier) {
    kind = reader.atLineStart ? TokenKind::Command : TokenKind::HashName;
  }
  // A spelling put together here is no slice of the source: the token keeps a copy.
  if (kind == TokenKind::HashName) return reader.makeToken(kind, name);
  return reader.makeToken(kind, spelled.empty() ? word : reader.keep(word));
}

}  // namespace VEXA::Lexer::Scanner
