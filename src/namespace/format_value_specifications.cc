// The format specifications made of values: "b", "f", "nz" and "L".
#include "namespace/arguments.h"
#include "namespace/format_specifications.h"
#include "parser/name.h"
#include "parser/value_parsers.h"
#include "toolchain/name_hash.h"

#include <utility>

namespace VEXA::Namespace {

namespace {

bool textIs(Parser& parser, const Token& token, std::string_view word) {
  return equalsFolded(parser.context().caseMode(), token.text, word);
}

std::shared_ptr<Syntax::Value> parseDisplayFormat(Parser& parser) {
  // The one numeric display format is written exactly "2": "02" or "2.0" are no display format.
  if (parser.check(TokenKind::Integer) && parser.current.text == "2") return parseInteger(parser);
  if (parser.check(TokenKind::Identifier)) {
    for (const char* style : {"f", "h", "v", "c"}) {
      if (textIs(parser, parser.current, style)) return parseName(parser);
    }
  }
  parser.report(Code::BadDisplayFormat, parser.current).args.emplace_back("format");
  return nullptr;
}

}  // namespace

std::shared_ptr<FormatCall> parseB(Parser& parser, const Token& letter) {
  if (parser.check(TokenKind::RightParen)) {
    parser.report(Code::MissingSpecification, letter).args.emplace_back("1");
    return nullptr;
  }
  Syntax::NodeList args;
  auto value = parseValue(parser, ValueMode::Format);
  if (!value) return nullptr;
  args.push_back(std::move(value));
  if (parser.accept(TokenKind::Comma)) {
    auto format = parseDisplayFormat(parser);
    if (!format) return nullptr;
    args.push_back(std::move(format));
  }
  return makeCall(parser, letter, std::move(args));
}

std::shared_ptr<FormatCall> parseF(Parser& parser, const Token& letter) {
  if (parser.check(TokenKind::RightParen)) {
    parser.report(Code::MissingSpecification, letter).args.emplace_back("1");
    return nullptr;
  }
  Syntax::NodeList args;
  for (int i = 0; i < 3; ++i) {
    if (i > 0 && !expectComma(parser)) return nullptr;
    auto value = parseValue(parser, ValueMode::Format);
    if (!value) return nullptr;
    args.push_back(std::move(value));
    if (parser.check(TokenKind::RightParen)) return makeCall(parser, letter, std::move(args));
  }
  if (!expectComma(parser)) return nullptr;
  // Only the text counts, whatever the token's kind: a quoted "v" is the style as well.
  if (!textIs(parser, parser.current, "v")) {
    parser.report(Code::BadStyle, parser.current).args.emplace_back("style");
    return nullptr;
  }
  args.push_back(parser.make<Syntax::Name>(parser.current));
  parser.advance();
  return makeCall(parser, letter, std::move(args));
}

std::shared_ptr<FormatCall> parseNz(Parser& parser, const Token& letter) {
  Syntax::NodeList args;
  if (parser.check(TokenKind::RightParen)) return makeCall(parser, letter, std::move(args));
  auto pointer = parseValue(parser, ValueMode::Format);
  if (!pointer) return nullptr;
  if (pointer->type == Syntax::NodeType::Text) {
    parser.report(Code::TextPointer, parser.previous).args.emplace_back("pointer");
    return nullptr;
  }
  args.push_back(std::move(pointer));
  if (parser.check(TokenKind::RightParen)) return makeCall(parser, letter, std::move(args));
  if (!expectComma(parser)) return nullptr;
  auto second = parseValue(parser, ValueMode::Format);
  if (!second) return nullptr;
  args.push_back(std::move(second));
  return makeCall(parser, letter, std::move(args));
}

std::shared_ptr<FormatCall> parseL(Parser& parser, const Token& letter) {
  if (parser.check(TokenKind::RightParen)) {
    warnEmpty(parser, letter);
    return makeCall(parser, letter, {});
  }
  // An argument list as a plain method has one: values only, no extended arguments.
  Syntax::NodeList args = Arguments::parse(parser, letter, false);
  if (!Arguments::complete(args)) return nullptr;
  return makeCall(parser, letter, std::move(args));
}

}  // namespace VEXA::Namespace
