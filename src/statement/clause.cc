// Conditional clause node serialisation.
#include "statement/clause.h"

namespace VEXA::Statement {

void Conditional::Clause::describe(Syntax::Writer& out) const {
  Node::describe(out);
  out.node("left", *left).node("right", *right);
  out.integer("comparator", comparator).nodes("subsequence", subsequence);
}

}  // namespace VEXA::Statement
