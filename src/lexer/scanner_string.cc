// Double-quoted strings. Two quotes in a row stand for one quote and stay doubled in the text;
// there is no other escape. A string ends at its line, except that the byte right after the
// opening quote, and the byte right after a doubled quote, are taken whatever they are: a quote
// at the end of a line thus carries the string into the next line.
#include "lexer/scanners.h"

#include "lexer/reader.h"

#include <string_view>

namespace VEXA::Lexer::Scanner {

bool String::accept(Reader&, int c) const {
  return c == '"';
}

Token String::scan(Reader& reader, int) const {
  int c = reader.get();
  for (;;) {
    if (c != '"') {
      // Plain text up to the next quote or the line end, counted in one go.
      reader.skipUntil([](int b) { return b == '"' || b == '\n'; });
      if (reader.peek() != '"') break;
      c = reader.get();
    }
    const int next = reader.peek();
    if (next == '\n' || next < 0) break;
    if (next != '"') return closed(reader);
    reader.get();
    if (reader.get() == '"') return closed(reader);
    c = reader.get();
  }
  if (c == '"') return closed(reader);
  return reader.errorToken(Code::Unterminated, "string literal");
}

Token String::closed(Reader& reader) {
  // Without the quotes around it.
  const std::string_view text = reader.lexeme();
  return reader.makeToken(TokenKind::String, text.substr(1, text.size() - 2));
}

}  // namespace VEXA::Lexer::Scanner
