// Stand-ins for the DEF and NV0 family parses until those families land: a keyword of either
// family is a word the front end cannot handle yet, reported as the dispatch reports any keyword it
// has no branch for. This file goes when the real parses arrive.
#include "directive/families.h"

namespace VEXA::Directive {

namespace {

std::shared_ptr<Syntax::Node> notYetHandled(Parser& parser) {
  parser.report(Code::Unhandled, parser.previous)
      .args.emplace_back("Directive::Address::Delegate.parse");
  return nullptr;
}

}  // namespace

std::shared_ptr<Syntax::Node> parseDef(Parser& parser, const Token&) {
  return notYetHandled(parser);
}

std::shared_ptr<Syntax::Node> parseNv0(Parser& parser, const Token&) {
  return notYetHandled(parser);
}

}  // namespace VEXA::Directive
