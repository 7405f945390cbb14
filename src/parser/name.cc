// Name node serialisation.
#include "parser/name.h"

namespace VEXA::Syntax {

void Name::describe(Writer& out) const {
  Value::describe(out);
  out.text("identifier", token.text);
  // A "#" name refers to a fixed resource; the text itself no longer shows the "#".
  if (token.kind == Lexer::TokenKind::HashName) out.boolean("fixed", true);
}

}  // namespace VEXA::Syntax
