// The node of a label that stands for its own statement: alone on its line, or in front of a
// statement that is not a directive.
#pragma once

#include "directive/label.h"

namespace VEXA::Directive {

class Address final : public Label {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::Address;

  explicit Address(const Lexer::Token& token) : Label(token, kType) {}

  // Base properties, "address" (always -1: the front end assigns no addresses), then "label" and
  // "refc".
  void describe(Syntax::Writer& out) const override;

  // The dispatch from a directive keyword to the parse of its family (directive/delegate.h).
  class Delegate;
};

}  // namespace VEXA::Directive
