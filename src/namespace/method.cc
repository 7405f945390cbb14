// Method node serialisation.
#include "namespace/method.h"

namespace VEXA::Namespace {

void Method::describe(Syntax::Writer& out) const {
  Node::describe(out);
  out.text("name", token.text).nodes("args", args);
}

}  // namespace VEXA::Namespace
