// The token window: one token of lookahead, one of put-back, and error reporting.
#include "parser/parser.h"

#include <new>
#include <type_traits>
#include <utility>

namespace VEXA {

Parser::Parser(std::shared_ptr<const Toolchain::SourceText> source,
               std::shared_ptr<Toolchain::Context> context)
    : context_(context),
      arena_(Syntax::NodeArena::create()),
      making_(arena_.get()),
      source_(source),
      texts_(std::make_shared<Toolchain::TextStore>()) {
  // Token texts, and the nodes that copy tokens, view the source, the text store and the name:
  // all three live as long as the arena, that is as long as the last node.
  arena_->keep(context_->sharedName());
  arena_->keep(source);
  arena_->keep(texts_);
  reader_ = std::make_unique<Lexer::Reader>(std::move(source), std::move(context), texts_);
}

Parser::Lasting::Lasting(Parser& parser) : parser_(parser), previous_(parser.making_) {
  if (parser.lasting_ == nullptr) {
    parser.lasting_.reset(Syntax::NodeArena::create());
    // Its nodes view the same texts as every other node.
    parser.lasting_->keep(parser.context_->sharedName());
    parser.lasting_->keep(parser.source_);
    parser.lasting_->keep(parser.texts_);
  }
  parser.making_ = parser.lasting_.get();
}

const Token& Parser::advance() {
  if (putBackPending_) {
    putBackPending_ = false;
    std::swap(previous, current);
    return current;
  }
  previous = std::move(current);
  if (outOfMemory()) {
    // Out of node memory: the input ends here, so that the statement under way closes with the
    // nodes it has and nothing more is built.
    current = Token();
    current.kind = TokenKind::EndOfInput;
    current.range = previous.range;
    current.file = previous.file;
    return current;
  }
  do {
    // Built where it stays: the reader writes the token field by field, and copying it from a
    // temporary right afterwards made the processor wait for those writes before each copy (the
    // copy reads wider than they wrote). Nothing to destroy first: a token owns nothing.
    static_assert(std::is_trivially_destructible_v<Token>);
    ::new (static_cast<void*>(&current)) Token(reader_->next());
  } while (current.kind == TokenKind::None);
  return current;
}

void Parser::rewind() {
  reader_->rewind();
  previous = Token();
  current = Token();
  advance();
}

bool Parser::putBack() {
  if (putBackPending_) return false;
  putBackPending_ = true;
  std::swap(previous, current);
  return true;
}

Toolchain::Diagnostic& Parser::report(Code code, const Token& token) {
  errorPending_ = true;
  return context_->diagnostics().add(code, Toolchain::Severity::Error, token.range);
}

Toolchain::Diagnostic& Parser::warning(Code code) {
  return context_->diagnostics().add(code, Toolchain::Severity::Warning, previous.range);
}

Parser::DepthGuard::DepthGuard(Parser& parser, const Token& at, std::string_view what)
    : parser_(parser), entered_(parser.depth_ < kMaxDepth) {
  if (entered_) {
    ++parser.depth_;
  } else {
    parser.report(Code::NestingTooDeep, at).args.emplace_back(what);
  }
}

Parser::DepthGuard::~DepthGuard() {
  if (entered_) --parser_.depth_;
}

void Parser::synchronize() {
  errorPending_ = false;
  while (!check(TokenKind::Newline) && !check(TokenKind::EndOfInput)) advance();
}

}  // namespace VEXA
