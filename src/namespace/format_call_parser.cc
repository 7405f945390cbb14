// The format call parse: depth limit, parentheses, and the dispatch on the format letter.
#include "namespace/format_call_parser.h"

#include "namespace/format_specifications.h"
#include "parser/value_parsers.h"
#include "toolchain/name_hash.h"

namespace VEXA::Namespace {

namespace {

using Specification = std::shared_ptr<FormatCall> (*)(Parser& parser, const Token& letter);

struct Letter {
  const char* text;
  Specification parse;
};

// In the order they are tried.
constexpr Letter kLetters[] = {
    {"b", parseB}, {"f", parseF}, {"s", parseS}, {"nz", parseNz}, {"L", parseL}, {"(", parseGroup},
};

std::shared_ptr<Syntax::Node> dispatch(Parser& parser, const Token& letter) {
  for (const Letter& known : kLetters) {
    if (equalsFolded(parser.context().caseMode(), letter.text, known.text)) {
      return known.parse(parser, letter);
    }
  }
  parser.report(Code::UnknownFormatLetter, letter).args.emplace_back(letter.text);
  return nullptr;
}

}  // namespace

std::shared_ptr<FormatCall> parseFormatCall(Parser& parser, Token letter) {
  // The letter is a copy: for a parenthesised call it is the "(" that the window moves past.
  Parser::DepthGuard guard(parser, parser.current, "format call");
  if (!guard.entered()) return nullptr;
  // Every specification builds a format call, so the node is one whenever it is there.
  return std::static_pointer_cast<FormatCall>(parseParenthesized(parser, letter, dispatch));
}

}  // namespace VEXA::Namespace
