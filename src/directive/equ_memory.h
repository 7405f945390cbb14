// The node of a memory location bound to a label: an address and a size in units of `multiplier`
// bytes. The EQU family's memory member builds it; its fields and description are those of every
// labelled memory area.
#pragma once

#include "directive/label.h"

#include <cstdint>
#include <memory>

namespace VEXA::Directive::EQU {

class Memory : public Label {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::EquMemory;

  // The token is the label. Where the source gives no size, the caller passes the made-up
  // Syntax::Integer 1.
  Memory(const Lexer::Token& label, std::shared_ptr<Syntax::Node> address,
         std::shared_ptr<Syntax::Node> size, Syntax::NodeType type = kType)
      : Label(label, type), size(std::move(size)), address(std::move(address)) {}

  // Label properties, "multiplier", "size", then "address" (the address node's object, not the
  // number that a Directive::Address carries).
  void describe(Syntax::Writer& out) const override;

  // Bytes per unit of size; the EQU memory member counts in single bytes.
  uint8_t multiplier = 1;
  std::shared_ptr<Syntax::Node> size;
  std::shared_ptr<Syntax::Node> address;
};

}  // namespace VEXA::Directive::EQU
