// The namespace command statement parser.
#pragma once

#include "parser/statement_parser.h"

namespace VEXA::Namespace {

// command := Command method+
// method  := Identifier LeftParen (RightParen | arguments RightParen)
// The acceptance test consumes the Command token. A word the keyword tables do not list as a
// command draws 4104; a method without its name 5001 (at the token before it), without "(" 1003,
// without ")" 1004. Methods follow one another up to the line end. The arguments of a "#HMI"
// command (in any letter case) are extended arguments, those of any other command plain values.
// A command that parses sets one of the context's usage flags, chosen by its word.
class CommandParser final : public StatementParser {
 public:
  bool accept(Parser& parser) const override;
  std::shared_ptr<Syntax::Node> parse(Parser& parser) const override;
};

}  // namespace VEXA::Namespace
