// An indirection ("*", "*+" or "*-" and a name), allowed in format specifications.
#pragma once

#include "parser/value.h"

#include <cstdint>

namespace VEXA::Syntax {

class Indirection final : public Value {
 public:
  static constexpr NodeType kType = NodeType::Indirection;
  // The modifier codes of the three operators.
  static constexpr int16_t kPlain = 0;        // "*"
  static constexpr int16_t kIncrement = 238;  // "*+"
  static constexpr int16_t kDecrement = 239;  // "*-"

  // The token is the name, with the operator's kind (Star, StarPlus or StarMinus).
  Indirection(const Lexer::Token& token, int16_t modifier)
      : Value(kType, token), modifier(modifier) {}

  // Value properties, then "identifier" (the name) and "modifier".
  void describe(Writer& out) const override;

  int16_t modifier = kPlain;
};

}  // namespace VEXA::Syntax
