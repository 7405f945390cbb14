// The parse driver: offers each statement to the statement parsers in order, then requires the
// line to end, and skips the rest of a line after any error.
#include "parser/program.h"

#include "parser/parser.h"
#include "parser/statement_list.h"

#include <iterator>
#include <streambuf>
#include <vector>

namespace VEXA {

Program parseProgram(std::shared_ptr<std::istream> source,
                     std::shared_ptr<Toolchain::Context> context) {
  auto bytes = std::make_shared<std::string>();
  if (source) {
    // Reading must never flush some output stream of the host.
    source->tie(nullptr);
    if (std::streambuf* buffer = source->rdbuf()) {
      bytes->assign(std::istreambuf_iterator<char>(buffer), std::istreambuf_iterator<char>());
    }
  }
  return parseProgram(Toolchain::SourceText::take(std::move(*bytes)), std::move(context));
}

namespace {

// Parses statement after statement, handing each node built to `take`.
template <typename Take>
void parseStatements(Parser& parser, Toolchain::Context& context, Take&& take) {
  parser.advance();
  // Every few hundred statements: often enough to stop within milliseconds, rarely enough to cost
  // nothing measurable.
  constexpr unsigned kStopCheckEvery = 256;
  unsigned statements = 0;
  while (!parser.check(TokenKind::EndOfInput)) {
    if (++statements % kStopCheckEvery == 0 && context.stopRequested()) break;
    if (parser.accept(TokenKind::Newline)) continue;
    if (auto node = parseStatement(parser)) take(std::move(node));
  }
}

}  // namespace

Program parseProgram(std::shared_ptr<const Toolchain::SourceText> source,
                     std::shared_ptr<Toolchain::Context> context) {
  Program program{context, {}};
  program.nodes.reserve(1024);
  Parser parser(std::move(source), std::move(context));
  parseStatements(parser, *program.context, [&](std::shared_ptr<Syntax::Node>&& node) {
    program.nodes.push_back(std::move(node));
  });
  program.outOfMemory = parser.outOfMemory();
  return program;
}

Program parseProgram(std::shared_ptr<const Toolchain::SourceText> source,
                     std::shared_ptr<Toolchain::Context> context, const NodeSink& each) {
  Program program{context, {}};
  Parser parser(std::move(source), std::move(context));
  // Statements go on in batches: parsing a few hundred and then passing them on keeps each
  // phase's code and tables in the cache, where alternating statement by statement evicts them,
  // and the batch's nodes are still in the cache when they are passed on.
  constexpr size_t kBatch = 256;
  std::vector<std::shared_ptr<Syntax::Node>> batch;
  batch.reserve(kBatch);
  const auto pass = [&] {
    for (const auto& node : batch) each(*node);
    batch.clear();
    // No node of the batch is left: the arena may hand out its memory again.
    parser.recycle();
  };
  parseStatements(parser, *program.context, [&](std::shared_ptr<Syntax::Node>&& node) {
    batch.push_back(std::move(node));
    if (batch.size() == kBatch) pass();
  });
  pass();
  program.outOfMemory = parser.outOfMemory();
  return program;
}

std::shared_ptr<Syntax::Node> parseStatement(Parser& parser) {
  std::shared_ptr<Syntax::Node> node;
  for (const StatementParser* statement : statementParsers()) {
    if (statement && statement->accept(parser)) {
      node = statement->parse(parser);
      break;
    }
  }

  if (node) {
    // An inline block tag shares its line with the statement after it; alone on its line it is
    // dropped.
    if (node->token.kind == TokenKind::InlineBlockTag) {
      if (parser.check(TokenKind::Newline) || parser.check(TokenKind::EndOfInput)) return nullptr;
      return node;
    }
    // A label in front of a statement that is not a directive: that statement follows at once.
    if (node->type == Syntax::NodeType::Address &&
        (parser.check(TokenKind::Command) || parser.check(TokenKind::Precode) ||
         parser.check(TokenKind::Instruction))) {
      return node;
    }
  }

  if (parser.accept(TokenKind::EndOfInput)) {
    if (parser.errorPending()) parser.synchronize();
    return node;
  }
  if (parser.errorPending()) {
    parser.synchronize();
    return node;
  }
  if (parser.accept(TokenKind::Newline)) return node;
  parser.report(node ? Code::TrailingTokens : Code::UnexpectedToken, parser.current);
  parser.synchronize();
  return node;
}

}  // namespace VEXA
