// The NV0 pointer item: a reference to a named item.
#pragma once

#include "directive/nv0_item.h"

#include <memory>
#include <utility>

namespace VEXA::Directive::NV0 {

class Pointer final : public Item {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::Nv0Pointer;

  Pointer(const Lexer::Token& token, std::shared_ptr<Syntax::Node> value)
      : Item(kType, token), value(std::move(value)) {}

  // The item's properties, then "pointer": the value's object.
  void describe(Syntax::Writer& out) const override;

  std::shared_ptr<Syntax::Node> value;
};

}  // namespace VEXA::Directive::NV0
