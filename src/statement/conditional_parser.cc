// Conditional statements: the branch keywords, the comparator clauses and the statement blocks
// between them, which hold ordinary statements (conditionals too) parsed by the driver's rules.
#include "statement/conditional_parser.h"

#include "parser/program.h"
#include "parser/value_parsers.h"
#include "statement/clause.h"
#include "statement/conditional.h"
#include "toolchain/name_hash.h"

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace VEXA::Statement {

namespace {

using Clause = Conditional::Clause;

struct ComparatorWord {
  std::string_view text;
  uint8_t code;
};

constexpr ComparatorWord kComparators[] = {
    {"EQ", Clause::EQ}, {"NE", Clause::NE}, {"GT", Clause::GT},
    {"GE", Clause::GE}, {"LT", Clause::LT}, {"LE", Clause::LE},
};

// The word's code, or Unset when it is no comparator. Strict rules take the words in upper case
// only; otherwise any spelling gets the code of its upper-case form.
uint8_t comparatorCode(Toolchain::CaseMode mode, std::string_view word) {
  for (const ComparatorWord& comparator : kComparators) {
    if (equalsFolded(mode, word, comparator.text)) return comparator.code;
  }
  return Clause::Unset;
}

bool atBlockEnd(const Parser& parser) {
  return parser.check(TokenKind::ElseIf) || parser.check(TokenKind::Else) ||
         parser.check(TokenKind::EndIf) || parser.check(TokenKind::EndOfInput);
}

// The statements up to the next branch keyword, which is left for the caller. Each statement gets
// the driver's line-end check and recovery, so a bad line costs that line only.
Syntax::NodeList parseBlock(Parser& parser) {
  Syntax::NodeList block;
  while (!atBlockEnd(parser)) {
    if (parser.accept(TokenKind::Newline)) continue;
    if (auto node = parseStatement(parser)) block.push_back(std::move(node));
  }
  return block;
}

// Everything after the clause's ")" on its line: each token is reported and skipped. The clause
// stands all the same, so the error mark is cleared once the line is done with; left set, it
// would make the driver pass over the trailing tokens of the block's first statement in silence.
void skipExtraTokens(Parser& parser) {
  bool reported = false;
  while (!parser.check(TokenKind::Newline) && !parser.check(TokenKind::EndOfInput)) {
    parser.report(Code::UnexpectedToken, parser.current);
    parser.advance();
    reported = true;
  }
  if (reported) parser.clearError();
}

// A clause after its branch keyword; null when it failed, with the reason reported.
std::shared_ptr<Clause> parseClause(Parser& parser) {
  if (!parser.accept(TokenKind::Identifier)) {
    parser.report(Code::MissingClauseName, parser.current);
    return nullptr;
  }
  const Token word = parser.previous;
  const uint8_t code = comparatorCode(parser.context().caseMode(), word.text);
  if (code == Clause::Unset) {
    parser.report(Code::UnknownComparator, word).args.emplace_back(word.text);
    return nullptr;
  }
  if (!parser.accept(TokenKind::LeftParen)) {
    parser.report(Code::MissingOpenParen, parser.current);
    return nullptr;
  }
  auto left = parseValue(parser, ValueMode::Plain);
  if (!left) return nullptr;
  if (!parser.accept(TokenKind::Comma)) {
    parser.report(Code::MissingComma, parser.current);
    return nullptr;
  }
  auto right = parseValue(parser, ValueMode::Plain);
  if (!right) return nullptr;
  if (!parser.accept(TokenKind::RightParen)) {
    parser.report(Code::MissingCloseParen, parser.current);
    return nullptr;
  }
  skipExtraTokens(parser);

  auto clause = parser.make<Clause>(word);
  clause->comparator = code;
  clause->left = std::move(left);
  clause->right = std::move(right);
  clause->subsequence = parseBlock(parser);
  return clause;
}

// Passes over a conditional that is nested too deeply, from after its "#IF" up to and including
// the "#ENDIF" that closes it (or to the end of the input), without recursing: the enclosing
// levels then find their own branch keywords where they expect them.
void skipConditional(Parser& parser) {
  size_t open = 1;
  while (!parser.atEnd()) {
    const TokenKind kind = parser.current.kind;
    parser.advance();
    if (kind == TokenKind::If) {
      ++open;
    } else if (kind == TokenKind::EndIf && --open == 0) {
      return;
    }
  }
}

}  // namespace

bool ConditionalParser::accept(Parser& parser) const {
  return parser.accept(TokenKind::If);
}

std::shared_ptr<Syntax::Node> ConditionalParser::parse(Parser& parser) const {
  Token statement = parser.previous;
  // Blocks hold statements, conditionals among them, so each level costs a level of recursion
  // here and in everything that walks the result.
  Parser::DepthGuard guard(parser, statement, "conditional");
  if (!guard.entered()) {
    skipConditional(parser);
    return nullptr;
  }

  std::vector<std::shared_ptr<Clause>> clauses;
  Token lastBranch = statement;
  do {
    lastBranch = parser.previous;
    if (auto clause = parseClause(parser)) {
      clauses.push_back(std::move(clause));
    } else {
      // The clause's block is not parsed: its lines go to the enclosing level.
      parser.synchronize();
    }
  } while (parser.accept(TokenKind::ElseIf));

  Syntax::NodeList alternative;
  if (parser.accept(TokenKind::Else)) {
    lastBranch = parser.previous;
    alternative = parseBlock(parser);
  }

  if (!parser.accept(TokenKind::EndIf)) {
    parser.report(Code::Unterminated, lastBranch).args.emplace_back("conditional");
    return nullptr;
  }

  statement.range.end = lastBranch.range.end;
  auto node = parser.make<Conditional>(statement);
  node->clauses = std::move(clauses);
  node->alternative = std::move(alternative);
  return node;
}

}  // namespace VEXA::Statement
