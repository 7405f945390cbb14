// A format call in a "#HMI" method argument: a format letter and the arguments of its
// specification. It is a value, so that a key written in front of it can be kept like any other
// argument's, and it reads like a method: a name and an argument list.
#pragma once

#include "parser/value.h"

namespace VEXA::Namespace {

class FormatCall final : public Syntax::Value {
 public:
  static constexpr Syntax::NodeType kType = Syntax::NodeType::FormatCall;

  // The token is the format letter; for a parenthesised call, its "(".
  explicit FormatCall(const Lexer::Token& token) : Value(kType, token) {}

  // Base properties, then "name" (the letter), "args" and, only when the argument has a key,
  // "key". The key comes last here, unlike on the other values: a format call is described the
  // way a method is, with the key added after.
  void describe(Syntax::Writer& out) const override;

  // The format specification's arguments in source order.
  Syntax::NodeList args;
};

}  // namespace VEXA::Namespace
