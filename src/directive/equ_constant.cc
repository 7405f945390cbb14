// The EQU constant node's description.
#include "directive/equ_constant.h"

namespace VEXA::Directive::EQU {

void Constant::describe(Syntax::Writer& out) const {
  Label::describe(out);
  out.node("value", *value);
  if (!io.empty()) out.text("io", io);
}

}  // namespace VEXA::Directive::EQU
