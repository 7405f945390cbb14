// "@" words are not part of the language; the word is named in the error.
#include "lexer/scanner_at.h"

#include "lexer/characters.h"
#include "lexer/reader.h"

#include <string_view>

namespace VEXA::Lexer::Scanner {

namespace {
constexpr uint16_t kAtWord = 4101;
}  // namespace

bool At::accept(Reader&, int c) const {
  return c == '@';
}

Token At::scan(Reader& reader, int) const {
  while (isLetter(reader.peek())) reader.get();
  return reader.errorToken(kAtWord, std::string_view(reader.lexeme).substr(1));
}

}  // namespace VEXA::Lexer::Scanner
