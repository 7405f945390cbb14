// The label node of a directive line: a label in front of a directive keyword. It is also the base
// of the labelled directive nodes of the EQU and DEF families, which add their own properties.
#pragma once

#include "syntax/node.h"

#include <cstdint>
#include <string_view>

namespace VEXA::Directive {

class Label : public Syntax::Node {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::Label;

  // The token is the label, or the directive keyword on a line without a label.
  explicit Label(const Lexer::Token& token, Syntax::NodeType type = kType) : Node(type, token) {}

  // Base properties, then "label" and "refc" when the line has a label.
  void describe(Syntax::Writer& out) const override;

  // The label's text; empty when the node stands on the directive keyword.
  std::string_view labelText() const;
  // Writes "label" and "refc" when there is a label.
  void describeLabel(Syntax::Writer& out) const;

  // The label's reference count; nothing in the front end changes it.
  uint32_t refc = 0;
};

}  // namespace VEXA::Directive
