// A method called on a namespace command: a name and its argument list.
#pragma once

#include "syntax/node.h"

namespace VEXA::Namespace {

class Method final : public Syntax::Node {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::Method;

  // The token is the method's name.
  explicit Method(const Lexer::Token& token) : Node(kType, token) {}

  // Base properties, then "name" (as written) and "args".
  void describe(Syntax::Writer& out) const override;

  // Argument nodes in source order; empty for "name()".
  Syntax::NodeList args;
};

}  // namespace VEXA::Namespace
