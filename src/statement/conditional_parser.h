// The conditional statement parser.
#pragma once

#include "parser/statement_parser.h"

namespace VEXA::Statement {

// conditional := If clause (ElseIf clause)* (Else block)? EndIf
// clause      := comparator LeftParen value Comma value RightParen Newline block
// comparator  := Identifier                  (one of EQ NE GT GE LT LE, under the case mode)
// block       := (statement | Newline)*      (up to ElseIf, Else, EndIf or the end of the input)
// The acceptance test consumes the If token. A clause that fails is left out and its block is not
// parsed, so the statement ends there without its EndIf and is rejected (1302); the lines that
// follow are then parsed by the enclosing level. Conditionals nest at most Parser::kMaxDepth deep.
class ConditionalParser final : public StatementParser {
 public:
  bool accept(Parser& parser) const override;
  std::shared_ptr<Syntax::Node> parse(Parser& parser) const override;
};

}  // namespace VEXA::Statement
