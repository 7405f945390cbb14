// The scanning loop: blanks, comments and block tags, then the first scanner that takes the byte.
#include "lexer/reader.h"

#include "lexer/scanner.h"
#include "lexer/scanners.h"
#include "toolchain/characters.h"

#include <utility>

namespace VEXA::Lexer {

Reader::Reader(std::shared_ptr<const Toolchain::SourceText> source,
               std::shared_ptr<Toolchain::Context> context,
               std::shared_ptr<Toolchain::TextStore> texts)
    : Stream(std::move(source)),
      context_(std::move(context)),
      texts_(std::move(texts)),
      name_(&context_->name()),
      keywords_(context_->keywords()),
      scanners_(Scanner::list()) {}

void Reader::rewind() {
  Stream::rewind();
  labelColumn = 0;
  atLineStart = true;
  tokenStart = Toolchain::Position();
  finished_ = false;
  end_ = Token();
}

void Reader::warn(Code code) {
  context_->diagnostics().add(code, Toolchain::Severity::Warning, tokenRange());
}

Token Reader::errorToken(Code code) {
  context_->diagnostics().add(code, Toolchain::Severity::Error, tokenRange());
  return makeToken(TokenKind::None);
}

Token Reader::errorToken(Code code, std::string_view argument) {
  context_->diagnostics()
      .add(code, Toolchain::Severity::Error, tokenRange())
      .args.emplace_back(argument);
  return makeToken(TokenKind::None);
}

Token Reader::next() {
  if (finished_) return end_;

  // Most tokens follow the previous one directly or after spaces and tabs, which are skipped
  // here; only a comment or another blank needs the call.
  int ahead = peek();
  if (ahead == ' ' || ahead == '\t') {
    clearLexeme();
    takeWhile([](int c) { return c == ' ' || c == '\t'; });
    ahead = peek();
  }
  if (ahead == ';' || isInlineBlank(ahead)) {
    Token tag = skipBlanks();
    // A block tag leaves the line state alone: a label may follow an inline tag.
    if (tag.kind != TokenKind::None) return tag;
  }

  clearLexeme();
  tokenStart = position;
  const int c = get();
  // The stream reports a NUL byte as the end of the input, so nothing after it is ever read.
  if (c < 0) {
    finished_ = true;
    end_ = makeToken(TokenKind::EndOfInput);
    return end_;
  }

  // Looked up on first use, not in the constructor: building the table constructs a reader.
  if (candidates_ == nullptr) candidates_ = &Scanner::candidates();
  size_t slot = candidates_->first[c];
  if (!candidates_->certain[c]) {
    while (slot < scanners_.size() && !scanners_[slot]->accept(*this, c)) ++slot;
    if (slot == scanners_.size()) {
      // The byte's continuation bytes are consumed first, so the range covers the whole
      // character.
      const std::string described = describeCharacter(c);
      return errorToken(Code::UnknownCharacter, described);
    }
  }
  return scan(slot, c);
}

inline Token Reader::scan(size_t slot, int c) {
  // Operators (the line feed and the comma above all) and words are most tokens. A byte that is
  // an operator token on its own needs no scanner at all; the other operators and words go to
  // their scanners by their final classes, so these calls are direct, each with its own call
  // site, instead of all tokens sharing one indirect call whose target changes from token to
  // token. One named result, built in place and returned as it is: no token is copied on the
  // way out.
  const TokenKind alone =
      slot == Scanner::kOperator ? Scanner::Operator::alone(c) : TokenKind::None;
  Token token = alone != TokenKind::None ? makeToken(alone)
                : slot == Scanner::kIdentifier
                    ? static_cast<const Scanner::Identifier&>(*scanners_[slot]).scan(*this, c)
                : slot == Scanner::kOperator
                    ? static_cast<const Scanner::Operator&>(*scanners_[slot]).scan(*this, c)
                    : scanners_[slot]->scan(*this, c);
  atLineStart = token.kind == TokenKind::Newline;
  labelColumn = 0;
  return token;
}

Token Reader::skipBlanks() {
  if (atEof()) return Token();
  // Blanks are skipped without being kept; the previous token's text must not linger either, or
  // a lone line feed there would make a warning's range look like a line feed's.
  clearLexeme();
  for (;;) {
    // Runs of blanks at once; a carriage return alone, as it may need a warning.
    takeWhile([](int c) { return c != '\r' && isInlineBlank(c); });
    const int c = peek();
    if (c == ';') break;
    if (c != '\r') return Token();
    skip();
    // The range of this warning starts where the previous token started: the blanks are part
    // of the lexeme that the next token empties.
    if (!peekIs('\n')) warn(Code::StrayCarriageReturn);
    if (atEof()) return Token();
  }
  if (context_->rules().parseBlocks) return scanBlockTag();
  skipToLineEnd();
  return Token();
}

Token Reader::scanBlockTag() {
  clearLexeme();
  tokenStart = position;
  get();  // ";"
  if (!acceptChar('<')) {
    skipToLineEnd();
    return Token();
  }
  const bool isInline = acceptChar('=');
  skipUntil([](int c) { return c == '>' || c == '\n'; });
  if (!peekIs('>')) {
    context_->diagnostics()
        .add(Code::Unterminated, Toolchain::Severity::Warning, tokenRange())
        .args.emplace_back("block-tag");
    return Token();
  }
  get();  // ">"
  // ";<>": nothing between the brackets.
  const std::string_view text = lexeme();
  if (text.size() < 4) {
    warn(Code::EmptyBlockTag);
    skipToLineEnd();
    return Token();
  }
  // The name between "<" and ">"; an inline tag's name keeps its "=".
  Token tag = makeToken(isInline ? TokenKind::InlineBlockTag : TokenKind::BlockTag,
                        text.substr(2, text.size() - 3));
  if (isInline) {
    // A word right after the tag is a label, as if it stood in column 0.
    labelColumn = position.character;
  } else {
    // The rest of the line is comment text.
    skipToLineEnd();
  }
  return tag;
}

void Reader::skipToLineEnd() {
  skipLine();
}

std::string Reader::describeCharacter(int c) {
  switch (c) {
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\v':
      return "\\v";
    case '\r':
      return "\\r";
    default:
      break;
  }
  if (c < 32) return "Control Code";
  std::string text(1, static_cast<char>(c));
  if (c >= 0x80) {
    // The rest of the character, as far as it is there: a byte that is no continuation byte
    // starts the next character and is left for the next token.
    int expected = utf8Continuations(c);
    for (int next = peek(); expected > 0 && next >= 0x80 && next <= 0xBF; next = peek()) {
      text.push_back(static_cast<char>(get()));
      --expected;
    }
  }
  return text;
}

}  // namespace VEXA::Lexer
