// The node of a value bound to a label: the real member of the EQU family (a real constant) and
// the symbol member (any value, also entered in the symbol table).
#pragma once

#include "directive/label.h"

#include <memory>

namespace VEXA::Directive::EQU {

class Value final : public Label {
 public:
  static constexpr Syntax::NodeType kReal = Syntax::NodeType::EquReal;
  static constexpr Syntax::NodeType kSymbol = Syntax::NodeType::EquSymbol;

  // The token is the label; `type` kReal or kSymbol; `value` the operand.
  Value(const Lexer::Token& label, Syntax::NodeType type, std::shared_ptr<Syntax::Node> value)
      : Label(label, type), value(std::move(value)) {}

  // Label properties, then "value".
  void describe(Syntax::Writer& out) const override;

  std::shared_ptr<Syntax::Node> value;
};

}  // namespace VEXA::Directive::EQU
