// Method argument lists, extended "#HMI" arguments and the values built from token runs.
#include "namespace/arguments.h"

#include "namespace/format_call_parser.h"
#include "parser/integer.h"
#include "parser/name.h"
#include "parser/real.h"
#include "parser/text.h"
#include "parser/value_parsers.h"

#include <string>

namespace VEXA::Namespace {

namespace {

bool endsRun(TokenKind kind) {
  return kind == TokenKind::Comma || kind == TokenKind::RightParen || kind == TokenKind::Newline ||
         kind == TokenKind::EndOfInput;
}

// The run's text: the tokens' texts with as many spaces between two of them as there are
// columns between the end of one and the start of the next.
std::string joinRun(const std::vector<Token>& tokens) {
  std::string text(tokens.front().text);
  for (size_t i = 1; i < tokens.size(); ++i) {
    const Toolchain::Position& end = tokens[i - 1].range.end;
    const Toolchain::Position& start = tokens[i].range.start;
    // A run never crosses a line feed, so both positions are on one line (a string that runs
    // into the next line ends there); the test keeps a gap from ever going negative all the same.
    if (start.line == end.line && start.character > end.character) {
      text.append(start.character - end.character, ' ');
    }
    text += tokens[i].text;
  }
  return text;
}

}  // namespace

Syntax::NodeList Arguments::parse(Parser& parser, const Token& name, bool hmi) {
  Syntax::NodeList list;
  do {
    if (hmi) {
      list.push_back(argument(parser, name));
    } else {
      list.push_back(parseValue(parser, ValueMode::Plain));
    }
  } while (parser.accept(TokenKind::Comma));
  return list;
}

bool Arguments::complete(const Syntax::NodeList& list) {
  for (const auto& entry : list) {
    if (!entry) return false;
  }
  return true;
}

std::shared_ptr<Syntax::Value> Arguments::argument(Parser& parser, const Token& name) {
  std::unique_ptr<Token> key;
  if (parser.accept(TokenKind::Identifier)) {
    if (parser.check(TokenKind::Colon)) {
      key = std::make_unique<Token>(parser.previous);
      parser.advance();
    } else {
      // No key after all: the word is the argument itself. Nothing was put back since the
      // accept, so the put-back is free.
      parser.putBack();
    }
  }

  std::vector<Token> tokens;
  Token first;  // the format letter, if a format call follows; None otherwise
  switch (parser.current.kind) {
    case TokenKind::Identifier:
    case TokenKind::Instruction:
      first = parser.current;
      tokens.push_back(parser.current);
      parser.advance();
      break;
    case TokenKind::HashName:
    case TokenKind::HashNumber:
    case TokenKind::HexLiteral:
    case TokenKind::BinaryLiteral:
    case TokenKind::Integer:
    case TokenKind::Real:
    case TokenKind::String:
      tokens.push_back(parser.current);
      parser.advance();
      break;
    case TokenKind::LeftParen:
      // The parenthesis is both the letter and the opening of the format specification.
      first = parser.current;
      break;
    default:
      parser.report(Code::MissingValue, parser.current);
      return nullptr;
  }

  if (parser.check(TokenKind::LeftParen)) {
    if (first.kind == TokenKind::None) {
      parser.report(Code::LiteralBeforeParen, parser.previous);
      return nullptr;
    }
    auto call = parseFormatCall(parser, first);
    if (!call) return nullptr;
    call->key = std::move(key);
    return call;
  }

  while (!endsRun(parser.current.kind)) {
    tokens.push_back(parser.current);
    parser.advance();
  }
  if (tokens.size() > 1) {
    const Toolchain::Range run{tokens.front().range.start, tokens.back().range.end};
    if (parser.context().rules().strict) {
      // Reported against the method, but placed over the run that caused it.
      parser.report(Code::TokenRunArgumentStrict, name).range = run;
      return nullptr;
    }
    parser.context().diagnostics().add(Code::TokenRunArgument, Toolchain::Severity::Warning, run);
  }
  auto value = extended(parser, tokens, name);
  if (!value) return nullptr;
  value->key = std::move(key);
  return value;
}

std::shared_ptr<Syntax::Value> Arguments::extended(Parser& parser, const std::vector<Token>& tokens,
                                                   const Token& name) {
  if (tokens.empty()) {
    parser.report(Code::Unhandled, name).args.emplace_back("Namespace::Arguments::extended");
    return nullptr;
  }
  if (tokens.size() == 1) {
    const Token& token = tokens.front();
    switch (token.kind) {
      case TokenKind::Identifier:
      case TokenKind::HashName:
      case TokenKind::Instruction:
        return parser.make<Syntax::Name>(token);
      case TokenKind::HashNumber:
      case TokenKind::HexLiteral:
      case TokenKind::BinaryLiteral:
      case TokenKind::Integer:
        return parser.make<Syntax::Integer>(token);
      case TokenKind::Real:
        return parser.make<Syntax::Real>(token);
      default:
        return parser.make<Syntax::Text>(token.text, token);
    }
  }
  Token joined = tokens.front();
  joined.range.end = tokens.back().range.end;
  return parser.make<Syntax::Text>(parser.keep(joinRun(tokens)), joined);
}

}  // namespace VEXA::Namespace
