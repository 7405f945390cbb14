// A sign directly followed by a letter I or N: the signed infinity and not-a-number words, which
// stand as identifiers with their sign. Any other word there is an error.
#include "lexer/scanners.h"

#include "lexer/reader.h"
#include "toolchain/characters.h"
#include "toolchain/name_hash.h"

#include <string_view>

namespace VEXA::Lexer::Scanner {

bool Special::accept(Reader& reader, int c) const {
  if (c != '+' && c != '-') return false;
  const int next = reader.peek();
  return next == 'I' || next == 'N' || next == 'i' || next == 'n';
}

Token Special::scan(Reader& reader, int) const {
  reader.get();
  reader.takeWhile(isLetter);
  const std::string_view word = reader.lexeme().substr(1);
  const Toolchain::CaseMode mode = reader.context().caseMode();
  if (equalsFolded(mode, word, "INF") || equalsFolded(mode, word, "NAN")) {
    return reader.makeToken(TokenKind::Identifier);
  }
  return reader.errorToken(Code::BadSignedWord, word);
}

}  // namespace VEXA::Lexer::Scanner
