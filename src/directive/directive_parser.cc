// Labels and directive lines: the label, its colon, and the hand-over of the keyword to the
// directive dispatch.
#include "directive/directive_parser.h"

#include "directive/address.h"
#include "directive/delegate.h"
#include "directive/label.h"

namespace VEXA::Directive {

bool DirectiveParser::accept(Parser& parser) const {
  return parser.check(TokenKind::Identifier) || parser.check(TokenKind::Directive);
}

std::shared_ptr<Syntax::Node> DirectiveParser::parse(Parser& parser) const {
  Token label;
  const bool labelled = parser.accept(TokenKind::Identifier);
  if (labelled) {
    label = parser.previous;
    // The colon matters only to a label that stands for its own statement: on a directive line
    // the keyword already shows where the label ends.
    const bool colon = parser.accept(TokenKind::Colon);
    if (!parser.check(TokenKind::Directive)) {
      if (!colon) parser.warning(Code::LabelWithoutColon);
      return parser.make<Address>(label);
    }
  }

  if (!parser.accept(TokenKind::Directive)) {
    // The acceptance test rules this out; kept so that the parse stands on its own.
    parser.report(Code::MissingDirective, labelled ? label : parser.current);
    return labelled ? parser.make<Label>(label) : nullptr;
  }

  const Token keyword = parser.previous;
  auto node = Address::Delegate::parse(parser, keyword.text, labelled ? label : keyword);
  if (node) return node;
  // The directive failed, but its label still names this line.
  return labelled ? parser.make<Label>(label) : nullptr;
}

}  // namespace VEXA::Directive
