// The DEF memory node's description.
#include "directive/def_memory.h"

namespace VEXA::Directive::DEF {

void Memory::describe(Syntax::Writer& out) const {
  Label::describe(out);
  out.integer("multiplier", multiplier).node("size", *size).node("address", *address);
}

}  // namespace VEXA::Directive::DEF
