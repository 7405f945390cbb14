// The base of every syntax node: a type number and a copy of the token the node stands for.
#pragma once

#include "lexer/token.h"
#include "toolchain/object_shape.h"

#include <napi.h>

#include <cstdint>
#include <memory>

namespace VEXA::Syntax {

class Node : public std::enable_shared_from_this<Node> {
 public:
  Node(uint8_t type, const Lexer::Token& token) : type(type), token(token) {}
  virtual ~Node() = default;

  // The node's JavaScript object: "range", "type", "filePath" (unless anonymous), then whatever
  // the derived class adds in its own fixed order.
  virtual Napi::Object serialize(Napi::Env env) const;

  // The layout of the base properties, which every node layout extends.
  static const Shape& baseShape();
  // Fills the base properties: "range", "type" and, unless anonymous, "filePath".
  void baseFields(Fields& fields) const;

  uint8_t type;
  Lexer::Token token;
};

}  // namespace VEXA::Syntax
