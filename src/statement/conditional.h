// The conditional statement node: comparator clauses, each with its block, and an alternative.
#pragma once

#include "syntax/node.h"

#include <memory>
#include <vector>

namespace VEXA::Statement {

class Conditional final : public Syntax::Node {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::Conditional;

  // One comparison and the statements it guards (statement/clause.h).
  class Clause;

  // The token is the "#IF" keyword, its range widened to the end of the last branch keyword
  // ("#ELSEIF" or "#ELSE"); the closing "#ENDIF" is not part of it.
  explicit Conditional(const Lexer::Token& token) : Node(kType, token) {}

  // Base properties, then "clauses" and "alternative".
  void describe(Syntax::Writer& out) const override;

  // The statements after "#ELSE"; empty without one.
  Syntax::NodeList alternative;
  // In source order; never empty in a returned node.
  std::vector<std::shared_ptr<Clause>> clauses;
};

}  // namespace VEXA::Statement
