// The block-tag statement node: a «;<name>» or «;<=name>» comment that stands as a statement.
#pragma once

#include "toolchain/node.h"

namespace VEXA::Statement {

class BlockTag final : public Syntax::Node {
 public:
  static constexpr uint8_t kType = 14;

  explicit BlockTag(const Lexer::Token& token) : Node(kType, token) {}

  // Base properties, then "tag": the tag's text as the lexer delivered it.
  Napi::Object serialize(Napi::Env env) const override;
};

}  // namespace VEXA::Statement
