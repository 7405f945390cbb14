// The NV0 byte-list node: the values of a data item in source order.
#pragma once

#include "directive/nv0_item.h"

#include <utility>

namespace VEXA::Directive::NV0 {

class Byte final : public Item {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::Nv0Byte;

  Byte(const Lexer::Token& token, Syntax::NodeList values)
      : Item(kType, token), values(std::move(values)) {}

  // The item's properties, then "values": one object per value, in source order.
  void describe(Syntax::Writer& out) const override;

  Syntax::NodeList values;
};

}  // namespace VEXA::Directive::NV0
