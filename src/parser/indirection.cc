// Indirection node serialisation.
#include "parser/indirection.h"

namespace VEXA::Syntax {

void Indirection::describe(Writer& out) const {
  Value::describe(out);
  out.text("identifier", token.text).integer("modifier", modifier);
}

}  // namespace VEXA::Syntax
