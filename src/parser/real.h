// A real value: a number read as single precision.
#pragma once

#include "parser/value.h"

namespace VEXA::Syntax {

class Real final : public Value {
 public:
  static constexpr NodeType kType = NodeType::Real;

  // From a number token: decimal texts are rounded to the nearest single-precision value,
  // hexadecimal and binary digits are read as unsigned 32-bit numbers first. The value is always
  // finite: a magnitude beyond the single-precision range becomes the largest finite value of its
  // sign (never Infinity, which would not survive a JSON round trip of the result), and one below
  // the smallest subnormal becomes zero. Any other token kind gives 0. The node's token always has
  // the kind Real.
  explicit Real(const Lexer::Token& token);

  // Value properties, then "value" and "buffer" (the text as written).
  void describe(Writer& out) const override;

  float value = 0.0f;
};

}  // namespace VEXA::Syntax
