// One clause of a conditional statement: a comparison of two values and the block it guards.
#pragma once

#include "statement/conditional.h"
#include "syntax/node.h"

#include <cstdint>
#include <memory>

namespace VEXA::Statement {

class Conditional::Clause final : public Syntax::Node {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::Clause;

  // The comparator codes, in the order the words are tried.
  enum Comparator : uint8_t { EQ = 0, NE = 1, GT = 2, GE = 3, LT = 4, LE = 5, Unset = 255 };

  // The token is the comparator word.
  explicit Clause(const Lexer::Token& token) : Node(kType, token) {}

  // Base properties, then "left", "right", "comparator" and "subsequence".
  void describe(Syntax::Writer& out) const override;

  uint8_t comparator = Unset;
  // The statements the clause guards, up to the next branch keyword.
  Syntax::NodeList subsequence;
  // Both operands are set in every clause the parser returns.
  std::shared_ptr<Syntax::Node> left;
  std::shared_ptr<Syntax::Node> right;
};

}  // namespace VEXA::Statement
