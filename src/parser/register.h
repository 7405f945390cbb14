// A register literal ("=" and a register letter), allowed in format specifications.
#pragma once

#include "parser/value.h"

namespace VEXA::Syntax {

class Register final : public Value {
 public:
  static constexpr NodeType kType = NodeType::Register;

  explicit Register(const Lexer::Token& token) : Value(kType, token) {}

  // Value properties, then "character": the register letter, in lower case.
  void describe(Writer& out) const override;
};

}  // namespace VEXA::Syntax
