// A name used as a value: a plain word, an instruction word, or a "#" name.
#pragma once

#include "parser/value.h"

namespace VEXA::Syntax {

class Name final : public Value {
 public:
  static constexpr NodeType kType = NodeType::Name;

  explicit Name(const Lexer::Token& token) : Value(kType, token) {}

  // Value properties, then "identifier" (the text as written) and "fixed": true for a "#" name.
  void describe(Writer& out) const override;
};

}  // namespace VEXA::Syntax
