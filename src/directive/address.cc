// The address node's description.
#include "directive/address.h"

namespace VEXA::Directive {

void Address::describe(Syntax::Writer& out) const {
  Node::describe(out);
  out.integer("address", -1);
  describeLabel(out);
}

}  // namespace VEXA::Directive
