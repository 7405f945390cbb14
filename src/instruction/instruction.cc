// Instruction node serialisation.
#include "instruction/instruction.h"

namespace VEXA {

void Instruction::describe(Syntax::Writer& out) const {
  Node::describe(out);
  if (extended) out.boolean("extended", true);
  out.text("name", token.text).integer("precode", precode).nodes("operands", operands);
}

}  // namespace VEXA
