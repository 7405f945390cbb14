// The base of every syntax node: a type number and a copy of the token the node stands for.
#pragma once

#include "lexer/token.h"
#include "syntax/node_type.h"
#include "syntax/writer.h"

#include <memory>

namespace VEXA::Syntax {

class Node {
 public:
  Node(NodeType type, const Lexer::Token& token) : type(type), token(token) {}
  virtual ~Node() = default;

  // The node's properties in result order: "range", "type", "filePath" (unless the source is
  // anonymous), then what the derived class adds, each derived class calling its base first.
  virtual void describe(Writer& out) const;

  NodeType type;
  Lexer::Token token;
};

}  // namespace VEXA::Syntax
