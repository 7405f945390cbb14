// The memory-area node of the DEF family: a unit width (the multiplier), a count of units (the
// size) and an address. The node type tells the members apart: 7 for DEFSEM, 8 for the width
// members, 9 for DEFBLOCK.
#pragma once

#include "directive/label.h"

#include <cstdint>
#include <memory>
#include <utility>

namespace VEXA::Directive::DEF {

class Memory final : public Label {
 public:
  // The token is the label, or the directive keyword on a line without a label. The address is
  // always the made-up integer -1: the front end assigns no addresses.
  Memory(const Lexer::Token& token, Syntax::NodeType type, uint8_t multiplier,
         std::shared_ptr<Syntax::Node> size, std::shared_ptr<Syntax::Node> address)
      : Label(token, type),
        multiplier(multiplier),
        size(std::move(size)),
        address(std::move(address)) {}

  // The label's properties, then "multiplier", "size" and "address" (both value objects).
  void describe(Syntax::Writer& out) const override;

  // Bytes per unit of size.
  uint8_t multiplier = 1;
  std::shared_ptr<Syntax::Node> size;
  std::shared_ptr<Syntax::Node> address;
};

}  // namespace VEXA::Directive::DEF
