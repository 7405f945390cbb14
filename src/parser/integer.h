// An integer value: a decimal, hexadecimal, binary or "#" number.
#pragma once

#include "parser/value.h"

#include <cstdint>
#include <string_view>

namespace VEXA::Syntax {

class Integer final : public Value {
 public:
  static constexpr NodeType kType = NodeType::Integer;

  // From a number token. Decimal texts go through single precision and are truncated towards zero
  // ("1e3" is 1000, "2.000001" is 2, "123456789" is 123456792); values beyond the signed 64-bit
  // range saturate, and a text that is no number ("." alone) is 0. Hexadecimal and binary digits
  // are read as unsigned 32-bit numbers. Any other token kind gives 0. The node's token always has
  // the kind Integer.
  explicit Integer(const Lexer::Token& token);
  // A made-up value with no place in the source, with its text (the value in decimal), which is
  // viewed, not copied: see madeUpInteger.
  Integer(int64_t value, bool fixed, std::string_view text);

  // Value properties, then "value", "buffer" (the text as written) and "fixed": true for "#"
  // numbers.
  void describe(Writer& out) const override;

  int64_t value = 0;
  bool fixed = false;
};

}  // namespace VEXA::Syntax
