// A name used as a value: a plain word, an instruction word, or a "#" name.
#pragma once

#include "parser/value.h"

namespace VEXA::Syntax {

class Name final : public Value {
 public:
  static constexpr uint8_t kType = 19;

  explicit Name(const Lexer::Token& token) : Value(kType, token) {}

  // Value properties, then "identifier" (the text as written) and "fixed": true for a "#" name.
  Napi::Object serialize(Napi::Env env) const override;
};

}  // namespace VEXA::Syntax
