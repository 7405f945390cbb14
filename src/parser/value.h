// The base of every value node: a node that may carry the key written in front of it.
#pragma once

#include "toolchain/node.h"

#include <memory>

namespace VEXA::Syntax {

class Value : public Node {
 public:
  Value(uint8_t type, const Lexer::Token& token) : Node(type, token) {}

  // Base properties, then "key" when a key was set. Derived classes add their own properties to
  // the object this returns.
  Napi::Object serialize(Napi::Env env) const override;

  // The base layout plus "key", which every value layout extends.
  static const Shape& valueShape();
  // Fills the base properties and "key".
  void valueFields(Fields& fields) const;

  // The key written in front of the value in a keyed argument, or null when there is none. Held
  // apart because almost no value has one and every operand node would otherwise carry a whole
  // empty token.
  std::unique_ptr<Lexer::Token> key;
};

}  // namespace VEXA::Syntax
