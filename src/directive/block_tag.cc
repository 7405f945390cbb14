// Block-tag node serialisation.
#include "directive/block_tag.h"

namespace VEXA::Statement {

void BlockTag::describe(Syntax::Writer& out) const {
  Node::describe(out);
  out.text("tag", token.text);
}

}  // namespace VEXA::Statement
