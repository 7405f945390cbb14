// Plain words. A word in the label column is always a label; elsewhere a keyword of the tables
// takes its kind, and an unknown word is an instruction when it opens its (indented) line.
#include "lexer/scanners.h"

#include "lexer/reader.h"
#include "toolchain/characters.h"

namespace VEXA::Lexer::Scanner {

bool Identifier::accept(Reader&, int c) const {
  return isLetter(c) || c == '_' || c == '!';
}

Token Identifier::scan(Reader& reader, int) const {
  reader.takeWord();
  // Words are ASCII, so bytes and characters agree.
  const uint64_t startColumn = reader.position.character - reader.lexeme().size();
  if (startColumn == reader.labelColumn) return reader.makeToken(TokenKind::Identifier);

  TokenKind kind = reader.keywordKind(reader.lexeme());
  if (kind == TokenKind::Identifier && reader.atLineStart) kind = TokenKind::Instruction;
  return reader.makeToken(kind);
}

}  // namespace VEXA::Lexer::Scanner
