// The instruction statement parser.
#pragma once

#include "parser/statement_parser.h"

namespace VEXA {

// instruction := precodes mnemonic operands?
// precodes    := (Precode Colon)*                        (a precode without its colon: 1601)
// mnemonic    := Instruction | Identifier               (Identifier only after a precode; 1602)
// operands    := value (Comma value)*                    (values of the plain mode)
// The acceptance test consumes the Instruction or the first Precode token. The first known precode
// of a chain decides the node's code; later ones draw warning 1604, and a repeated extending
// precode also draws 1603. The operands are absent exactly when the line ends after the mnemonic.
class InstructionParser final : public StatementParser {
 public:
  bool accept(Parser& parser) const override;
  std::shared_ptr<Syntax::Node> parse(Parser& parser) const override;
};

}  // namespace VEXA
