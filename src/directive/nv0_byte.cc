// The NV0 byte-list node's description.
#include "directive/nv0_byte.h"

namespace VEXA::Directive::NV0 {

void Byte::describe(Syntax::Writer& out) const {
  Item::describe(out);
  out.nodes("values", values);
}

}  // namespace VEXA::Directive::NV0
