// The instruction statement node: a mnemonic with the precode that applies to it and its operands.
#pragma once

#include "syntax/node.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace VEXA {

class Instruction final : public Syntax::Node {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::Instruction;

  // The token is the mnemonic, with the kind Instruction even when an identifier stood there.
  explicit Instruction(const Lexer::Token& token) : Node(kType, token) {}

  // Base properties, then "extended" (only when set), "name", "precode" and "operands".
  void describe(Syntax::Writer& out) const override;

  // 0 when no known precode applies, else 237, 238 or 239.
  uint8_t precode = 0;
  // Set by the precode of code 237.
  bool extended = false;
  Syntax::NodeList operands;
};

}  // namespace VEXA
