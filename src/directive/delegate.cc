// Directive keywords are told apart by their spelling: the family by a prefix or suffix, NVEM0 by
// the whole word.
#include "directive/delegate.h"

#include "directive/families.h"
#include "toolchain/name_hash.h"

namespace VEXA::Directive {

namespace {

// A text shorter than the affix has neither the prefix nor the suffix; nothing past either end of
// the text is read.
bool beginsWith(Toolchain::CaseMode mode, std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsFolded(mode, text.substr(0, prefix.size()), prefix);
}

bool endsWith(Toolchain::CaseMode mode, std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         equalsFolded(mode, text.substr(text.size() - suffix.size()), suffix);
}

std::shared_ptr<Syntax::Node> parseNvem0(Parser& parser, const Token& labelOrKeyword) {
  // NVEM0 marks a place in the program, not a value: there is nothing a label could name.
  if (labelOrKeyword.kind != TokenKind::Directive) {
    parser.report(Code::LabelledNvem0, labelOrKeyword);
    return nullptr;
  }
  return parser.make<Syntax::Node>(Syntax::NodeType::Nvem0, parser.previous);
}

}  // namespace

std::shared_ptr<Syntax::Node> Address::Delegate::parse(Parser& parser, std::string_view keyword,
                                                       const Token& labelOrKeyword) {
  // Strict rules compare exactly, so only a keyword spelt "def…" in lower case reaches the DEF
  // family there, while the other words are upper case.
  const Toolchain::CaseMode mode = parser.context().caseMode();
  if (endsWith(mode, keyword, "EQU")) return parseEqu(parser, labelOrKeyword);
  if (beginsWith(mode, keyword, "def")) return parseDef(parser, labelOrKeyword);
  if (beginsWith(mode, keyword, "NV0")) return parseNv0(parser, labelOrKeyword);
  if (equalsFolded(mode, keyword, "NVEM0")) return parseNvem0(parser, labelOrKeyword);
  parser.report(Code::Unhandled, parser.previous)
      .args.emplace_back("Directive::Address::Delegate.parse");
  return nullptr;
}

}  // namespace VEXA::Directive
