// The value parsers shared by every statement kind. Each reads through the Parser's token window
// and builds its node from the token it has just accepted. The parse forms report an error when
// nothing fits (which fails the statement); the try forms consume nothing and report nothing then.
#pragma once

#include "parser/parser.h"
#include "parser/value.h"
#include "syntax/node.h"

#include <cstdint>
#include <memory>

namespace VEXA {

// Which values a position allows. The numbers are the ones the rest of the toolchain uses.
enum class ValueMode : uint8_t {
  Plain = 9,    // names, numbers and strings
  Format = 10,  // also register literals and indirections, inside format specifications
};

// name := Identifier | HashName | Instruction                                       (else 2001)
std::shared_ptr<Syntax::Value> parseName(Parser& parser);

// integer := Integer | HexLiteral | BinaryLiteral | HashNumber | name
std::shared_ptr<Syntax::Value> tryInteger(Parser& parser);
std::shared_ptr<Syntax::Value> parseInteger(Parser& parser);  // else 2002

// real := Real | Integer | HexLiteral | BinaryLiteral | HashNumber | name
std::shared_ptr<Syntax::Value> tryReal(Parser& parser);
std::shared_ptr<Syntax::Value> parseReal(Parser& parser);  // else 2003

// indirection := (Star | StarPlus | StarMinus) Identifier        (operator without a name: 1309)
std::shared_ptr<Syntax::Value> tryIndirection(Parser& parser);

// value := name | integer | real | String
//        | RegisterLiteral | indirection                              (Format mode only; else 2005)
std::shared_ptr<Syntax::Value> parseValue(Parser& parser, ValueMode mode);

// A made-up integer with no place in the source (a default size or address): its text, the value
// in decimal, is kept with the parse's texts.
std::shared_ptr<Syntax::Value> madeUpInteger(Parser& parser, int64_t value);

// The parse that runs between the parentheses, given the format letter in front of them.
using InnerParse = std::shared_ptr<Syntax::Node> (*)(Parser& parser, const Token& letter);

// parenthesized := LeftParen inner RightParen                   (missing "(": 1003; ")": 1004)
// Returns the inner parse's node, or null when any of the three parts failed.
std::shared_ptr<Syntax::Node> parseParenthesized(Parser& parser, const Token& letter,
                                                 InnerParse inner);

}  // namespace VEXA
