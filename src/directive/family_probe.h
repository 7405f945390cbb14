// Stand-in for the directive statement parser until it lands: it reads labels and directive lines
// exactly as the directive statement parser does, but dispatches only to the DEF and NV0
// families, so that those can be parsed end to end. Delete it, and its slot in the statement
// list, when the directive statement parser arrives.
#pragma once

#include "parser/statement_parser.h"

namespace VEXA::Directive {

// directive-line := Identifier Colon?                      (label alone; no colon: warning 1501)
//                 | (Identifier Colon?)? Directive operands
// The keyword dispatches to the DEF family when it begins with "def" and to the NV0 family when
// it begins with "NV0", both compared under the rules' case mode; any other keyword: 9001
// "Directive::Address::Delegate.parse". A labelled line whose directive yields no node still
// yields its label.
class FamilyProbe final : public StatementParser {
 public:
  bool accept(Parser& parser) const override;
  std::shared_ptr<Syntax::Node> parse(Parser& parser) const override;
};

}  // namespace VEXA::Directive
