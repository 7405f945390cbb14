// Block tags become nodes carrying their text.
#include "directive/block_tag_parser.h"

#include "directive/block_tag.h"

namespace VEXA::Directive {

bool BlockTagParser::accept(Parser& parser) const {
  return parser.accept(TokenKind::BlockTag) || parser.accept(TokenKind::InlineBlockTag);
}

std::shared_ptr<Syntax::Node> BlockTagParser::parse(Parser& parser) const {
  return parser.make<Statement::BlockTag>(parser.previous);
}

}  // namespace VEXA::Directive
