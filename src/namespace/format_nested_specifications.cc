// The format specifications whose items may be format calls again: "s" and "(".
#include "namespace/format_call_parser.h"
#include "namespace/format_specifications.h"
#include "parser/name.h"
#include "parser/text.h"
#include "parser/value_parsers.h"

#include <utility>

namespace VEXA::Namespace {

namespace {

void reportArgumentCount(Parser& parser, const Token& letter, const char* given) {
  auto& diagnostic = parser.report(Code::MissingArguments, letter);
  diagnostic.args.emplace_back("3");
  if (given) diagnostic.args.emplace_back(given);
}

std::shared_ptr<Syntax::Value> parseOutputItem(Parser& parser) {
  switch (parser.current.kind) {
    case TokenKind::Identifier: {
      Token word = parser.current;
      parser.advance();
      if (parser.check(TokenKind::LeftParen)) return parseFormatCall(parser, std::move(word));
      return parser.make<Syntax::Name>(word);
    }
    case TokenKind::HashName:
    case TokenKind::HashNumber:
    case TokenKind::HexLiteral:
    case TokenKind::BinaryLiteral:
    case TokenKind::Integer:
    case TokenKind::Real:
      return parseValue(parser, ValueMode::Plain);
    case TokenKind::String:
      parser.advance();
      return parser.make<Syntax::Text>(parser.previous.text, parser.previous);
    case TokenKind::LeftParen:
      return parseFormatCall(parser, parser.current);
    default:
      parser.report(Code::BadOutputItem, parser.current).args.emplace_back("output");
      return nullptr;
  }
}

std::shared_ptr<Syntax::Value> parseGroupItem(Parser& parser) {
  if (parser.accept(TokenKind::Identifier)) {
    if (!parser.check(TokenKind::LeftParen)) return parser.make<Syntax::Name>(parser.previous);
    return parseFormatCall(parser, parser.previous);
  }
  if (parser.check(TokenKind::LeftParen)) return parseFormatCall(parser, parser.current);
  return parseValue(parser, ValueMode::Plain);
}

}  // namespace

std::shared_ptr<FormatCall> parseS(Parser& parser, const Token& letter) {
  if (parser.check(TokenKind::RightParen)) {
    reportArgumentCount(parser, letter, nullptr);
    return nullptr;
  }
  Syntax::NodeList args;
  auto value = parseValue(parser, ValueMode::Format);
  if (!value) return nullptr;
  args.push_back(std::move(value));
  if (parser.check(TokenKind::RightParen)) {
    reportArgumentCount(parser, letter, "1");
    return nullptr;
  }
  for (int i = 0; i < 2; ++i) {
    if (!expectComma(parser)) return nullptr;
    auto item = parseOutputItem(parser);
    if (!item) return nullptr;
    args.push_back(std::move(item));
    if (i == 0 && parser.check(TokenKind::RightParen)) {
      reportArgumentCount(parser, letter, "2");
      return nullptr;
    }
  }
  return makeCall(parser, letter, std::move(args));
}

std::shared_ptr<FormatCall> parseGroup(Parser& parser, const Token& letter) {
  if (parser.check(TokenKind::RightParen)) {
    warnEmpty(parser, letter);
    return makeCall(parser, letter, {});
  }
  Syntax::NodeList args;
  do {
    auto item = parseGroupItem(parser);
    if (!item) return nullptr;
    args.push_back(std::move(item));
  } while (parser.accept(TokenKind::Comma));
  return makeCall(parser, letter, std::move(args));
}

}  // namespace VEXA::Namespace
