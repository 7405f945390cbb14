// "@" words are not part of the language; the word is named in the error.
#include "lexer/scanners.h"

#include "lexer/reader.h"
#include "toolchain/characters.h"

#include <string_view>

namespace VEXA::Lexer::Scanner {

bool At::accept(Reader&, int c) const {
  return c == '@';
}

Token At::scan(Reader& reader, int) const {
  reader.takeWhile(isLetter);
  return reader.errorToken(Code::AtWord, reader.lexeme().substr(1));
}

}  // namespace VEXA::Lexer::Scanner
