// The value node base's description.
#include "parser/value.h"

namespace VEXA::Syntax {

void Value::describe(Writer& out) const {
  Node::describe(out);
  if (key) out.text("key", key->text);
}

}  // namespace VEXA::Syntax
