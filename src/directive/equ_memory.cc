// The memory node's description.
#include "directive/equ_memory.h"

namespace VEXA::Directive::EQU {

void Memory::describe(Syntax::Writer& out) const {
  Label::describe(out);
  out.integer("multiplier", multiplier).node("size", *size).node("address", *address);
}

}  // namespace VEXA::Directive::EQU
