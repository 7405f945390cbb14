// Real nodes: conversion of the literal texts and serialisation.
#include "parser/real.h"

#include "toolchain/number_text.h"

namespace VEXA::Syntax {

namespace {

float valueOf(const Lexer::Token& token) {
  using Lexer::TokenKind;
  switch (token.kind) {
    case TokenKind::Real:
    case TokenKind::Integer:
    case TokenKind::HashNumber:
      return singleFromText(token.text);
    case TokenKind::HexLiteral:
      return static_cast<float>(unsignedFromDigits(literalDigits(token.text), 16));
    case TokenKind::BinaryLiteral:
      return static_cast<float>(unsignedFromDigits(literalDigits(token.text), 2));
    default:
      return 0.0f;
  }
}

}  // namespace

Real::Real(const Lexer::Token& token) : Value(kType, token), value(valueOf(token)) {
  this->token.kind = Lexer::TokenKind::Real;
}

void Real::describe(Writer& out) const {
  Value::describe(out);
  out.number("value", static_cast<double>(value)).text("buffer", token.text);
}

}  // namespace VEXA::Syntax
