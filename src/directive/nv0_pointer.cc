// The NV0 pointer item's description.
#include "directive/nv0_pointer.h"

namespace VEXA::Directive::NV0 {

void Pointer::describe(Syntax::Writer& out) const {
  Item::describe(out);
  out.node("pointer", *value);
}

}  // namespace VEXA::Directive::NV0
