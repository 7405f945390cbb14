// The base of every value node: a node that may carry the key written in front of it.
#pragma once

#include "syntax/node.h"

#include <memory>

namespace VEXA::Syntax {

class Value : public Node {
 public:
  Value(NodeType type, const Lexer::Token& token) : Node(type, token) {}

  // Base properties, then "key" when a key was set.
  void describe(Writer& out) const override;

  // The key written in front of the value in a keyed argument, or null when there is none. Held
  // apart because almost no value has one and every operand node would otherwise carry a whole
  // empty token.
  std::unique_ptr<Lexer::Token> key;
};

}  // namespace VEXA::Syntax
