// The lexer's reader: cuts the character stream into tokens. It skips blanks and comments, turns
// block-tag comments into tokens, and offers each token's first byte to the scanners in order.
#pragma once

#include "lexer/keyword_index.h"
#include "lexer/scanner_list.h"
#include "lexer/stream.h"
#include "lexer/token.h"
#include "toolchain/context.h"
#include "toolchain/position.h"
#include "toolchain/text_store.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace VEXA::Lexer {

class Reader final : public Stream {
 public:
  // Texts that are no slice of the source go to `texts`.
  Reader(std::shared_ptr<const Toolchain::SourceText> source,
         std::shared_ptr<Toolchain::Context> context, std::shared_ptr<Toolchain::TextStore> texts);

  // The next token of any kind, None included; the same EndOfInput token for ever once the input
  // has ended.
  Token next();
  // Back to the first byte and the state of a fresh reader.
  void rewind();

  Toolchain::Context& context() const { return *context_; }
  // The kind the context's keyword table gives the word, or Identifier.
  TokenKind keywordKind(std::string_view word) const { return keywords_.find(word); }

  // From tokenStart to the current position; a lone line feed covers one character on its own
  // line, although the position has moved on to the next line.
  Toolchain::Range tokenRange() const;
  // A token over tokenRange, with the lexeme or the given text, which must be a slice of the
  // source, a literal or a kept text.
  Token makeToken(TokenKind kind) const { return makeToken(kind, lexeme()); }
  Token makeToken(TokenKind kind, std::string_view text) const;
  // A copy of a made-up text that lives as long as the parse's nodes.
  std::string_view keep(std::string_view text) { return texts_->keep(text); }
  // A warning over tokenRange; the scan goes on.
  void warn(Code code);
  // An error over tokenRange, with an optional argument, and the None token of a failed scan.
  Token errorToken(Code code);
  Token errorToken(Code code, std::string_view argument);

  // The column that counts as the label column besides column 0: right after an inline block
  // tag, until the next scanned token.
  uint64_t labelColumn = 0;
  // True before the first token and after a Newline token.
  bool atLineStart = true;
  // Where the token being scanned starts.
  Toolchain::Position tokenStart;

 private:
  // A BlockTag or InlineBlockTag token, or None after blanks, a comment or a failed tag.
  Token skipBlanks();
  // The token of the scanner at `slot` of the list, which has taken its first byte c, and the
  // line state after it.
  Token scan(size_t slot, int c);
  // At a ";" with block tags on: the tag, or None for a plain comment or a malformed tag.
  Token scanBlockTag();
  // Consumes the rest of the line; the line feed stays.
  void skipToLineEnd();
  // The printable form of a byte that no scanner takes.
  std::string describeCharacter(int c);

  std::shared_ptr<Toolchain::Context> context_;
  std::shared_ptr<Toolchain::TextStore> texts_;
  // The context's name, which every token points to.
  const std::string* name_;
  KeywordIndex keywords_;
  const Scanner::List& scanners_;
  const Scanner::Candidates* candidates_ = nullptr;
  // Once the input has ended (at its end or at a NUL byte), every call of next returns end_.
  bool finished_ = false;
  Token end_;
};

// Inline: one of each per token.
inline Toolchain::Range Reader::tokenRange() const {
  if (const std::string_view text = lexeme(); text.size() == 1 && text[0] == '\n') {
    return {tokenStart, {tokenStart.line, tokenStart.character + 1}};
  }
  return {tokenStart, position};
}

inline Token Reader::makeToken(TokenKind kind, std::string_view text) const {
  Token token;
  token.kind = kind;
  token.range = tokenRange();
  token.text = text;
  token.file = name_;
  return token;
}

}  // namespace VEXA::Lexer
