// Integer nodes: conversion of the literal texts and serialisation.
#include "parser/integer.h"

#include "parser/number_text.h"

#include <string>

namespace VEXA::Syntax {

namespace {

int64_t valueOf(const Lexer::Token& token) {
  using Lexer::TokenKind;
  switch (token.kind) {
    case TokenKind::Integer:
    case TokenKind::HashNumber:
      return truncateToInt64(singleFromText(token.text));
    case TokenKind::HexLiteral:
      return unsignedFromDigits(literalDigits(token.text), 16);
    case TokenKind::BinaryLiteral:
      return unsignedFromDigits(literalDigits(token.text), 2);
    default:
      return 0;
  }
}

}  // namespace

Integer::Integer(const Lexer::Token& token)
    : Value(kType, token),
      value(valueOf(token)),
      fixed(token.kind == Lexer::TokenKind::HashNumber) {
  this->token.kind = Lexer::TokenKind::Integer;
}

Integer::Integer(int64_t value, bool fixed)
    : Value(kType, Lexer::Token{}), value(value), fixed(fixed) {
  token.kind = Lexer::TokenKind::Integer;
  token.text = std::to_string(value);
}

Napi::Object Integer::serialize(Napi::Env env) const {
  static const Shape shape(valueShape(), {{"value"}, {"buffer"}, {"fixed", Field::Optional}});
  Fields fields(env, shape);
  valueFields(fields);
  return fields.number(static_cast<double>(value)).text(token.text).flag(fixed).make();
}

}  // namespace VEXA::Syntax
