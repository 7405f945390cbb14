// The NV0 numeric item's description.
#include "directive/nv0_numeric.h"

namespace VEXA::Directive::NV0 {

void Numeric::describe(Syntax::Writer& out) const {
  Item::describe(out);
  out.node("numeric", *value);
}

}  // namespace VEXA::Directive::NV0
