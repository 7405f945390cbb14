// The base node's description.
#include "syntax/node.h"

namespace VEXA::Syntax {

void Node::describe(Writer& out) const {
  out.range("range", token.range).integer("type", static_cast<int64_t>(type));
  // Sources parsed without a name carry no path at all.
  if (const std::string_view path = token.filePath(); path != "<anonymous>") {
    out.text("filePath", path);
  }
}

}  // namespace VEXA::Syntax
