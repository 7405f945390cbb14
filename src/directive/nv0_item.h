// The common part of the NV0 data-item nodes: the label (or keyword) token, an address that the
// front end never assigns, and a reference count that, unlike the labelled EQU and DEF nodes,
// is not part of the result.
#pragma once

#include "syntax/node.h"

#include <cstdint>
#include <string_view>

namespace VEXA::Directive::NV0 {

class Item : public Syntax::Node {
 public:
  // The token is the label, or the directive keyword on a line without a label.
  Item(Syntax::NodeType type, const Lexer::Token& token) : Node(type, token) {}

  // Base properties, "address" (always -1), then "label" when the line has one.
  void describe(Syntax::Writer& out) const override;

  // The label's text; empty when the node stands on the directive keyword.
  std::string_view labelText() const;

  // Kept for the later stages of the toolchain; nothing in the front end changes or writes it.
  uint32_t refc = 0;
};

}  // namespace VEXA::Directive::NV0
