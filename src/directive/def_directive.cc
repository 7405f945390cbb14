// The DEF family: memory areas described by a unit width, a count of units and an address.
#include "directive/def_memory.h"
#include "directive/families.h"
#include "parser/integer.h"
#include "parser/value_parsers.h"
#include "toolchain/name_hash.h"

namespace VEXA::Directive {

namespace {

using Syntax::NodeType;

// Bytes per unit of the width members. The machine fixes the widths, not the caller's keyword
// tables, so the words are known by the hash of their upper-case form whatever the strictness;
// any other word of the family counts in single bytes.
uint8_t widthOf(std::string_view keyword) {
  switch (hashName(keyword, Toolchain::CaseMode::Upper)) {
    case hashWord("DEFWORD"):
    case hashWord("DEFADDR"):
      return 2;
    case hashWord("DEFTIME24"):
      return 3;
    case hashWord("DEFLONG"):
    case hashWord("DEFFLOAT"):
      return 4;
    default:
      return 1;
  }
}

bool atLineEnd(const Parser& parser) {
  return parser.check(TokenKind::Newline) || parser.check(TokenKind::EndOfInput);
}

std::shared_ptr<Syntax::Node> makeMemory(Parser& parser, const Token& labelOrKeyword, NodeType type,
                                         uint8_t multiplier, std::shared_ptr<Syntax::Node> size) {
  auto address = madeUpInteger(parser, -1);
  return parser.make<DEF::Memory>(labelOrKeyword, type, multiplier, std::move(size),
                                  std::move(address));
}

}  // namespace

// def-directive := label? Directive integer?          (the keyword begins with "def")
//                | label? DEFBLOCK integer             (no count: 3202 "1" "none")
// DEFSEM gives node type 7, DEFBLOCK 9, every other word type 8 with the width of its unit; a
// missing count is a size of 1. The two named members are matched ignoring case whatever the
// rules say: the dispatch has already decided under the rules that the word belongs here.
std::shared_ptr<Syntax::Node> parseDef(Parser& parser, const Token& labelOrKeyword) {
  const std::string_view keyword = parser.previous.text;
  const bool semaphore = equalsFolded(Toolchain::CaseMode::Upper, keyword, "DEFSEM");
  const bool block = equalsFolded(Toolchain::CaseMode::Upper, keyword, "DEFBLOCK");
  const NodeType type = semaphore ? NodeType::DefSemaphore
                        : block   ? NodeType::DefBlock
                                  : NodeType::DefMemory;
  const uint8_t multiplier = type == NodeType::DefMemory ? widthOf(keyword) : 1;

  std::shared_ptr<Syntax::Node> size;
  if (!atLineEnd(parser)) {
    size = parseInteger(parser);
    // parseInteger has said why.
    if (!size) return nullptr;
  } else if (block) {
    auto& diagnostic = parser.report(Code::MissingSpecification, labelOrKeyword);
    diagnostic.args.emplace_back("1");
    diagnostic.args.emplace_back("none");
    return nullptr;
  } else {
    size = madeUpInteger(parser, 1);
  }
  return makeMemory(parser, labelOrKeyword, type, multiplier, std::move(size));
}

}  // namespace VEXA::Directive
