// Namespace command lines: the command word, its methods and their argument lists.
#include "namespace/command_parser.h"

#include "lexer/keyword_table.h"
#include "namespace/arguments.h"
#include "namespace/command.h"
#include "namespace/method.h"
#include "toolchain/name_hash.h"

#include <utility>

namespace VEXA::Namespace {

namespace {

// The commands are known by the hash of their upper-case word, whatever the strictness; the
// caller's keyword tables decide only whether the word is a command at all.
constexpr uint32_t kHmi = hashWord("#HMI");
constexpr uint32_t kMeta = hashWord("#META");
constexpr uint32_t kInclude = hashWord("#INCLUDE");
static_assert(kMeta == 0x0CC6784Fu && kInclude == 0x67B5A46Cu);

// Each parsed command tells the back end which kind of work the program needs.
void markUsage(Toolchain::Optimization& flags, uint32_t command) {
  switch (command) {
    case kMeta:
      flags.flagA = true;
      break;
    case kInclude:
      flags.flagB = true;
      break;
    default:
      flags.flagC = true;
      break;
  }
}

std::shared_ptr<Method> parseMethod(Parser& parser, bool hmi) {
  if (!parser.accept(TokenKind::Identifier)) {
    // At the token the name should have followed: the command, or the previous method's ")".
    parser.report(Code::MissingMethodName, parser.previous);
    return nullptr;
  }
  Token name = parser.previous;
  if (!parser.accept(TokenKind::LeftParen)) {
    parser.report(Code::MissingOpenParen, parser.current);
    return nullptr;
  }
  auto method = parser.make<Method>(name);
  if (parser.accept(TokenKind::RightParen)) return method;
  Syntax::NodeList args = Arguments::parse(parser, name, hmi);
  // The failed argument has said why.
  if (!Arguments::complete(args)) return nullptr;
  if (!parser.accept(TokenKind::RightParen)) {
    parser.report(Code::MissingCloseParen, parser.current);
    return nullptr;
  }
  method->args = std::move(args);
  return method;
}

}  // namespace

bool CommandParser::accept(Parser& parser) const {
  return parser.accept(TokenKind::Command);
}

std::shared_ptr<Syntax::Node> CommandParser::parse(Parser& parser) const {
  Token word = parser.previous;
  // The lexer makes any unknown "#" word at the start of a line a Command token as well.
  const KeywordTable* keywords = parser.context().keywords();
  if (!keywords || lookupKeyword(*keywords, word.text) != TokenKind::Command) {
    parser.report(Code::UnknownCommand, word).args.emplace_back(word.text);
    return nullptr;
  }
  const uint32_t hash = hashName(word.text, Toolchain::CaseMode::Upper);
  const bool hmi = hash == kHmi;

  auto command = parser.make<Command>(word);
  do {
    auto method = parseMethod(parser, hmi);
    // One bad method rejects the whole command, the methods before it included.
    if (!method) return nullptr;
    command->methods.push_back(std::move(method));
  } while (!parser.check(TokenKind::Newline) && !parser.check(TokenKind::EndOfInput));

  markUsage(parser.context().optimization, hash);
  return command;
}

}  // namespace VEXA::Namespace
