// The block-tag statement parser.
#pragma once

#include "parser/statement_parser.h"

namespace VEXA::Directive {

// block-tag-statement := BlockTag | InlineBlockTag
// The tag token is consumed by the acceptance test; the parse never fails.
class BlockTagParser final : public StatementParser {
 public:
  bool accept(Parser& parser) const override;
  std::shared_ptr<Syntax::Node> parse(Parser& parser) const override;
};

}  // namespace VEXA::Directive
