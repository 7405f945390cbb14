// The parser's token window over the lexer: two tokens, a one-token put-back, and the error state
// that makes the driver skip the rest of a failed line.
#pragma once

#include "lexer/reader.h"
#include "lexer/token.h"
#include "syntax/node_arena.h"
#include "toolchain/context.h"
#include "toolchain/diagnostic.h"
#include "toolchain/text_store.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace VEXA {

using Lexer::Token;
using Lexer::TokenKind;

class Parser {
 public:
  Parser(std::shared_ptr<const Toolchain::SourceText> source,
         std::shared_ptr<Toolchain::Context> context);

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
  Toolchain::Diagnostic& report(Code code, const Token& token);
  // A warning at the range of the token consumed last.
  Toolchain::Diagnostic& warning(Code code);
  // Clears the error mark and skips to the line end (which stays the lookahead).
  void synchronize();
  // Clears the error mark without moving, for a statement that has already skipped the tokens it
  // reported and goes on with the lines after them: a mark left set would hide the next line's
  // own errors from the driver.
  void clearError() { errorPending_ = false; }

  Toolchain::Context& context() { return *context_; }
  // A copy of a text that is no slice of the source, for a node to view: it lives as long as the
  // parse's nodes.
  std::string_view keep(std::string_view text) { return texts_->keep(text); }

  // A new node of this parse, in the parse's node arena (or, inside a `Lasting` scope, in the
  // arena of nodes that outlive their statement).
  template <typename T, typename... Args>
  std::shared_ptr<T> make(Args&&... args) {
    return std::allocate_shared<T>(Syntax::ArenaAllocator<T>(making_), std::forward<Args>(args)...);
  }
  // Between statements, when the caller keeps no node: the node memory is handed out again if no
  // node of the parse is alive any more.
  void recycle() { arena_->recycle(); }

  // The nodes made while one lives are kept beyond their statement by the parse itself (a value
  // the symbol table holds): they go to an arena of their own, so that the memory of every other
  // statement can be reused.
  class Lasting {
   public:
    explicit Lasting(Parser& parser);
    ~Lasting() { parser_.making_ = previous_; }
    Lasting(const Lasting&) = delete;
    Lasting& operator=(const Lasting&) = delete;

   private:
    Parser& parser_;
    Syntax::NodeArena* previous_;
  };
  bool errorPending() const { return errorPending_; }
  // True once node memory could not be had: the parse then reads no further, and its result is
  // incomplete.
  bool outOfMemory() const {
    return arena_->exhausted() || (lasting_ != nullptr && lasting_->exhausted());
  }

  // How deeply format calls and conditionals may nest, together: enough for any real program, and
  // a bound on the recursion of the parse and of everything that walks its result.
  static constexpr size_t kMaxDepth = 256;

  // One level of nesting for as long as it lives. Past kMaxDepth it reports NestingTooDeep at
  // `at`, with `what` as the argument, and enters no level: check `entered` before going deeper.
  class DepthGuard {
   public:
    DepthGuard(Parser& parser, const Token& at, std::string_view what);
    ~DepthGuard();
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    bool entered() const { return entered_; }

   private:
    Parser& parser_;
    bool entered_;
  };

  Token previous;
  Token current;

 private:
  std::shared_ptr<Toolchain::Context> context_;
  Syntax::ArenaShare arena_;
  // Made when a `Lasting` scope first needs it.
  Syntax::ArenaShare lasting_;
  Syntax::NodeArena* making_;
  std::shared_ptr<const Toolchain::SourceText> source_;
  std::shared_ptr<Toolchain::TextStore> texts_;
  bool putBackPending_ = false;
  bool errorPending_ = false;
  size_t depth_ = 0;
  std::unique_ptr<Lexer::Reader> reader_;
};

}  // namespace VEXA
