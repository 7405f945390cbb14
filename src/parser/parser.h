// The parser's token window over the lexer: two tokens, a one-token put-back, and the error state
// that makes the driver skip the rest of a failed line.
#pragma once

#include "lexer/reader.h"
#include "lexer/token.h"
#include "toolchain/context.h"
#include "toolchain/diagnostic.h"

#include <istream>
#include <memory>
#include <utility>

namespace VEXA {

using Lexer::Token;
using Lexer::TokenKind;

class Parser {
 public:
  Parser(std::shared_ptr<std::istream> source, std::shared_ptr<Toolchain::Context> context);

  // Moves the window one token on, skipping None tokens; returns the new lookahead.
  const Token& advance();
  void rewind();
  bool atEnd() const { return current.kind == TokenKind::EndOfInput; }
  bool check(TokenKind kind) const { return current.kind == kind; }
  bool accept(TokenKind kind) {
    if (current.kind != kind) return false;
    advance();
    return true;
  }
  // Makes the token consumed last the lookahead again; only one at a time.
  bool putBack();

  // An error at the token's range; marks the statement as failed.
  Toolchain::Diagnostic& report(uint16_t code, const Token& token);
  // A warning at the range of the token consumed last.
  Toolchain::Diagnostic& warning(uint16_t code);
  // Clears the error mark and skips to the line end (which stays the lookahead).
  void synchronize();

  Toolchain::Context& context() { return *context_; }

  // A new node of this parse, in the context's node arena.
  template <typename T, typename... Args>
  std::shared_ptr<T> make(Args&&... args) {
    return std::allocate_shared<T>(Syntax::ArenaAllocator<T>(context_->arena()),
                                   std::forward<Args>(args)...);
  }
  bool errorPending() const { return errorPending_; }

  Token previous;
  Token current;

 private:
  std::shared_ptr<Toolchain::Context> context_;
  bool putBackPending_ = false;
  bool errorPending_ = false;
  std::unique_ptr<Lexer::Reader> reader_;
};

}  // namespace VEXA
