// The NV0 space item's description.
#include "directive/nv0_space.h"

namespace VEXA::Directive::NV0 {

void Space::describe(Syntax::Writer& out) const {
  Item::describe(out);
  out.node("size", *value);
}

}  // namespace VEXA::Directive::NV0
