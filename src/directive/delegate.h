// The dispatch from a directive keyword's text to the parse of its directive family.
#pragma once

#include "directive/address.h"
#include "parser/parser.h"
#include "syntax/node.h"

#include <memory>
#include <string_view>

namespace VEXA::Directive {

class Address::Delegate {
 public:
  // keyword := Directive
  //   ends with "EQU"      → the EQU family
  //   begins with "def"    → the DEF family
  //   begins with "NV0"    → the NV0 family
  //   is "NVEM0"           → the NVEM0 node (no operands; with a label: 1605)
  //   anything else        → 9001
  // The words are compared under the context's case mode, in this order; the first match decides.
  // `keyword` is the text of `previous` (the keyword token), read only before a family's parse
  // moves the window on. Null when no node was built; any error has been reported.
  static std::shared_ptr<Syntax::Node> parse(Parser& parser, std::string_view keyword,
                                             const Token& labelOrKeyword);
};

}  // namespace VEXA::Directive
