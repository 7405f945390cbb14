// The statement parser of labels and directive lines.
#pragma once

#include "parser/statement_parser.h"

namespace VEXA::Directive {

// directive-statement := Identifier Colon? Directive operands     (a labelled directive)
//                      | Directive operands                       (a directive without a label)
//                      | Identifier Colon?                         (a label for what follows)
// The acceptance test only looks at the first token (an Identifier or a Directive). A label that
// no directive keyword follows becomes a Directive::Address, and without its colon draws warning
// 1501; the statement after it on the line, if any, is the driver's. A labelled directive whose
// family builds no node still yields the label as a Directive::Label.
class DirectiveParser final : public StatementParser {
 public:
  bool accept(Parser& parser) const override;
  std::shared_ptr<Syntax::Node> parse(Parser& parser) const override;
};

}  // namespace VEXA::Directive
