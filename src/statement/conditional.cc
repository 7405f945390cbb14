// Conditional statement node serialisation.
#include "statement/conditional.h"

#include "statement/clause.h"

namespace VEXA::Statement {

void Conditional::describe(Syntax::Writer& out) const {
  Node::describe(out);
  // The writer takes plain node lists; the typed list is kept for the parser's sake.
  const Syntax::NodeList clauseNodes(clauses.begin(), clauses.end());
  out.nodes("clauses", clauseNodes).nodes("alternative", alternative);
}

}  // namespace VEXA::Statement
