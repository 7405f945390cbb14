// The base node's description.
#include "syntax/node.h"

namespace VEXA::Syntax {

void Node::describe(Writer& out) const {
  out.range("range", token.range).integer("type", static_cast<int64_t>(type));
  // Sources parsed without a name carry no path at all.
  if (token.filePath != "<anonymous>") out.text("filePath", token.filePath);
}

}  // namespace VEXA::Syntax
