// The namespace command node: a "#" command word and the methods called on it.
#pragma once

#include "syntax/node.h"

namespace VEXA::Namespace {

class Command final : public Syntax::Node {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::Command;

  // The token is the command word, with its "#".
  explicit Command(const Lexer::Token& token) : Node(kType, token) {}

  // Base properties, then "name" (the command word as written) and "methods".
  void describe(Syntax::Writer& out) const override;

  // Method nodes in source order; never empty once the parser hands the command out.
  Syntax::NodeList methods;
};

}  // namespace VEXA::Namespace
