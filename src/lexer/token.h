// Tokens: what the lexer hands the parser, one value record per lexical unit.
#pragma once

#include "toolchain/position.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace VEXA::Lexer {

enum class TokenKind : uint8_t {
  Identifier = 0,
  HashName = 1,
  HashNumber = 2,
  HexLiteral = 3,
  BinaryLiteral = 4,
  Integer = 5,
  Real = 6,
  String = 7,
  RegisterLiteral = 8,
  BlockTag = 9,
  InlineBlockTag = 10,
  Command = 11,
  Precode = 12,
  Directive = 13,
  Instruction = 14,
  If = 15,
  ElseIf = 16,
  Else = 17,
  EndIf = 18,
  Colon = 19,
  Comma = 20,
  Percent = 21,
  LeftParen = 22,
  RightParen = 23,
  Plus = 24,
  Minus = 25,
  Star = 26,
  StarPlus = 27,
  StarMinus = 28,
  Newline = 29,
  EndOfInput = 30,
  None = 31,
};

struct Token {
  TokenKind kind = TokenKind::None;
  Toolchain::Range range;
  // A slice of the source, or a text kept in the parse's text store when it is no slice: either
  // way it lives as long as the parse's nodes, so tokens copy freely.
  std::string_view text;
  // The source's name: the context's, which is fixed before the parse starts and outlives every
  // token and node of the parse. A pointer rather than a view, as every node carries one; null
  // for a made-up token, whose name is empty.
  const std::string* file = nullptr;

  std::string_view filePath() const { return file ? std::string_view(*file) : std::string_view(); }
};

}  // namespace VEXA::Lexer
