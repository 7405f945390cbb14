// The EQU value node's description.
#include "directive/equ_value.h"

namespace VEXA::Directive::EQU {

void Value::describe(Syntax::Writer& out) const {
  Label::describe(out);
  out.node("value", *value);
}

}  // namespace VEXA::Directive::EQU
