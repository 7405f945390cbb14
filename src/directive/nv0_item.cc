// The common description of the NV0 data-item nodes.
#include "directive/nv0_item.h"

namespace VEXA::Directive::NV0 {

std::string_view Item::labelText() const {
  return token.kind == Lexer::TokenKind::Identifier ? std::string_view(token.text)
                                                    : std::string_view();
}

void Item::describe(Syntax::Writer& out) const {
  Node::describe(out);
  out.integer("address", -1);
  if (!labelText().empty()) out.text("label", labelText());
}

}  // namespace VEXA::Directive::NV0
