// Command node serialisation.
#include "namespace/command.h"

namespace VEXA::Namespace {

void Command::describe(Syntax::Writer& out) const {
  Node::describe(out);
  out.text("name", token.text).nodes("methods", methods);
}

}  // namespace VEXA::Namespace
