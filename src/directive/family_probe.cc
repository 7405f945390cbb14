// Stand-in for the directive statement parser: labels, and the DEF and NV0 directive lines.
#include "directive/family_probe.h"

#include "directive/address.h"
#include "directive/families.h"
#include "directive/label.h"
#include "toolchain/name_hash.h"

namespace VEXA::Directive {

namespace {

// Whether `text` begins with `prefix` under the case mode; a shorter text never does.
bool beginsWith(Toolchain::CaseMode mode, std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsFolded(mode, text.substr(0, prefix.size()), prefix);
}

std::shared_ptr<Syntax::Node> delegate(Parser& parser, const Token& labelOrKeyword) {
  const Toolchain::CaseMode mode = parser.context().caseMode();
  const std::string_view keyword = parser.previous.text;
  if (beginsWith(mode, keyword, "def")) return parseDef(parser, labelOrKeyword);
  if (beginsWith(mode, keyword, "NV0")) return parseNv0(parser, labelOrKeyword);
  parser.report(Code::Unhandled, parser.previous)
      .args.emplace_back("Directive::Address::Delegate.parse");
  return nullptr;
}

}  // namespace

bool FamilyProbe::accept(Parser& parser) const {
  return parser.check(TokenKind::Identifier) || parser.check(TokenKind::Directive);
}

std::shared_ptr<Syntax::Node> FamilyProbe::parse(Parser& parser) const {
  Token label;
  const bool labelled = parser.accept(TokenKind::Identifier);
  if (labelled) label = parser.previous;
  const bool colon = labelled && parser.accept(TokenKind::Colon);

  if (labelled && !parser.check(TokenKind::Directive)) {
    if (!colon) parser.warning(Code::LabelWithoutColon);
    // What follows on the line, if anything, is the driver's to parse as the next statement.
    return parser.make<Address>(label);
  }

  std::shared_ptr<Syntax::Node> fallback;
  if (labelled) fallback = parser.make<Label>(label);
  if (!parser.accept(TokenKind::Directive)) {
    // The acceptance test rules this out; kept so that the parse stands on its own.
    parser.report(Code::MissingDirective, labelled ? label : parser.current);
    return fallback;
  }

  const Token labelOrKeyword = labelled ? label : parser.previous;
  auto node = delegate(parser, labelOrKeyword);
  return node ? node : fallback;
}

}  // namespace VEXA::Directive
