// Register node serialisation.
#include "parser/register.h"

namespace VEXA::Syntax {

void Register::describe(Writer& out) const {
  Value::describe(out);
  out.text("character", token.text);
}

}  // namespace VEXA::Syntax
