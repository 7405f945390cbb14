// Value parsers: names, numbers, strings, registers and indirections.
#include "parser/value_parsers.h"

#include "parser/indirection.h"
#include "parser/integer.h"
#include "parser/name.h"
#include "parser/real.h"
#include "parser/register.h"
#include "parser/text.h"

#include <string>

namespace VEXA {

namespace {

// Diagnostic codes of the value parsers.

bool acceptName(Parser& parser) {
  return parser.accept(TokenKind::Identifier) || parser.accept(TokenKind::HashName) ||
         parser.accept(TokenKind::Instruction);
}

bool acceptIntegerLiteral(Parser& parser) {
  return parser.accept(TokenKind::Integer) || parser.accept(TokenKind::HexLiteral) ||
         parser.accept(TokenKind::BinaryLiteral) || parser.accept(TokenKind::HashNumber);
}

}  // namespace

std::shared_ptr<Syntax::Value> parseName(Parser& parser) {
  if (acceptName(parser)) return parser.make<Syntax::Name>(parser.previous);
  parser.report(Code::MissingName, parser.current);
  return nullptr;
}

std::shared_ptr<Syntax::Value> tryInteger(Parser& parser) {
  if (acceptIntegerLiteral(parser)) return parser.make<Syntax::Integer>(parser.previous);
  // A name stands for a value defined elsewhere.
  if (acceptName(parser)) return parser.make<Syntax::Name>(parser.previous);
  return nullptr;
}

std::shared_ptr<Syntax::Value> parseInteger(Parser& parser) {
  if (auto value = tryInteger(parser)) return value;
  parser.report(Code::MissingInteger, parser.current);
  return nullptr;
}

std::shared_ptr<Syntax::Value> tryReal(Parser& parser) {
  if (parser.accept(TokenKind::Real) || acceptIntegerLiteral(parser)) {
    return parser.make<Syntax::Real>(parser.previous);
  }
  if (acceptName(parser)) return parser.make<Syntax::Name>(parser.previous);
  return nullptr;
}

std::shared_ptr<Syntax::Value> parseReal(Parser& parser) {
  if (auto value = tryReal(parser)) return value;
  parser.report(Code::MissingReal, parser.current);
  return nullptr;
}

std::shared_ptr<Syntax::Value> tryIndirection(Parser& parser) {
  int16_t modifier;
  if (parser.accept(TokenKind::Star)) {
    modifier = Syntax::Indirection::kPlain;
  } else if (parser.accept(TokenKind::StarPlus)) {
    modifier = Syntax::Indirection::kIncrement;
  } else if (parser.accept(TokenKind::StarMinus)) {
    modifier = Syntax::Indirection::kDecrement;
  } else {
    return nullptr;
  }
  const TokenKind op = parser.previous.kind;
  if (!parser.accept(TokenKind::Identifier)) {
    parser.report(Code::MissingIndirectionName, parser.current);
    return nullptr;
  }
  // The name token takes the operator's kind, in the window as well as in the node, so that a
  // caller looking at `previous` sees which indirection it was.
  parser.previous.kind = op;
  return parser.make<Syntax::Indirection>(parser.previous, modifier);
}

std::shared_ptr<Syntax::Value> parseValue(Parser& parser, ValueMode mode) {
  // Names come first: a name is also what tryInteger and tryReal fall back to.
  if (acceptName(parser)) return parser.make<Syntax::Name>(parser.previous);
  if (auto value = tryInteger(parser)) return value;
  if (auto value = tryReal(parser)) return value;
  if (parser.accept(TokenKind::String)) {
    return parser.make<Syntax::Text>(parser.previous.text, parser.previous);
  }
  if (mode == ValueMode::Format) {
    if (parser.accept(TokenKind::RegisterLiteral)) {
      return parser.make<Syntax::Register>(parser.previous);
    }
    // An operator without a name draws 1309 here and, as no value was found either, 2005 below.
    if (auto value = tryIndirection(parser)) return value;
  }
  parser.report(Code::MissingValue, parser.current);
  return nullptr;
}

std::shared_ptr<Syntax::Value> madeUpInteger(Parser& parser, int64_t value) {
  return parser.make<Syntax::Integer>(value, false, parser.keep(std::to_string(value)));
}

std::shared_ptr<Syntax::Node> parseParenthesized(Parser& parser, const Token& letter,
                                                 InnerParse inner) {
  if (!parser.accept(TokenKind::LeftParen)) {
    parser.report(Code::MissingOpenParen, parser.current);
    return nullptr;
  }
  auto node = inner(parser, letter);
  if (!node) return nullptr;
  if (!parser.accept(TokenKind::RightParen)) {
    parser.report(Code::MissingCloseParen, parser.current);
    return nullptr;
  }
  return node;
}

}  // namespace VEXA
