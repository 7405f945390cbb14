// The label node's description.
#include "directive/label.h"

namespace VEXA::Directive {

std::string_view Label::labelText() const {
  return token.kind == Lexer::TokenKind::Identifier ? std::string_view(token.text)
                                                    : std::string_view();
}

void Label::describeLabel(Syntax::Writer& out) const {
  if (!labelText().empty()) out.text("label", labelText()).integer("refc", refc);
}

void Label::describe(Syntax::Writer& out) const {
  Node::describe(out);
  describeLabel(out);
}

}  // namespace VEXA::Directive
