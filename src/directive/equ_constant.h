// The node of an integer constant bound to a label: "EQU" and the I/O members of the EQU family.
#pragma once

#include "directive/label.h"

#include <memory>
#include <string>

namespace VEXA::Directive::EQU {

class Constant final : public Label {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::EquConstant;

  // The token is the label; `value` the operand (an integer or a name).
  Constant(const Lexer::Token& label, std::shared_ptr<Syntax::Node> value)
      : Label(label, kType), value(std::move(value)) {}

  // Label properties, "value", then "io" when the constant is an I/O point.
  void describe(Syntax::Writer& out) const override;

  std::shared_ptr<Syntax::Node> value;
  // Empty, "input", "output", "analog-input" or "analog-output".
  std::string io;
};

}  // namespace VEXA::Directive::EQU
