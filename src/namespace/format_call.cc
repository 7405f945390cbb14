// Format call node serialisation.
#include "namespace/format_call.h"

namespace VEXA::Namespace {

void FormatCall::describe(Syntax::Writer& out) const {
  // Node's description rather than Value's: Value would put "key" before "name".
  Node::describe(out);
  out.text("name", token.text).nodes("args", args);
  if (key) out.text("key", key->text);
}

}  // namespace VEXA::Namespace
