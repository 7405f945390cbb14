// The block-tag statement node: a «;<name>» or «;<=name>» comment that stands as a statement.
#pragma once

#include "syntax/node.h"

namespace VEXA::Statement {

class BlockTag final : public Syntax::Node {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::BlockTag;

  explicit BlockTag(const Lexer::Token& token) : Node(kType, token) {}

  // Base properties, then "tag": the tag's text as the lexer delivered it.
  void describe(Syntax::Writer& out) const override;
};

}  // namespace VEXA::Statement
