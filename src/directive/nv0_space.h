// The NV0 space item: a count of units to reserve.
#pragma once

#include "directive/nv0_item.h"

#include <memory>
#include <utility>

namespace VEXA::Directive::NV0 {

class Space final : public Item {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::Nv0Space;

  Space(const Lexer::Token& token, std::shared_ptr<Syntax::Node> value)
      : Item(kType, token), value(std::move(value)) {}

  // The item's properties, then "size": the value's object.
  void describe(Syntax::Writer& out) const override;

  std::shared_ptr<Syntax::Node> value;
};

}  // namespace VEXA::Directive::NV0
