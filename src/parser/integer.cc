// Integer nodes: conversion of the literal texts and serialisation.
#include "parser/integer.h"

#include "toolchain/number_text.h"

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

Integer::Integer(int64_t value, bool fixed, std::string_view text)
    : Value(kType, Lexer::Token{}), value(value), fixed(fixed) {
  token.kind = Lexer::TokenKind::Integer;
  token.text = text;
}

void Integer::describe(Writer& out) const {
  Value::describe(out);
  out.number("value", static_cast<double>(value)).text("buffer", token.text);
  if (fixed) out.boolean("fixed", true);
}

}  // namespace VEXA::Syntax
