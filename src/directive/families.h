// The parse operations of the three directive families, which the directive dispatch calls by the
// keyword's text. Each is given the label-or-keyword token (the label when the line has one, else
// the directive keyword) and finds the keyword itself in the parser's `previous` token. Null when
// no node was built; any error has been reported.
#pragma once

#include "parser/parser.h"
#include "syntax/node.h"

#include <memory>

namespace VEXA::Directive {

// Keywords that end in "EQU".
std::shared_ptr<Syntax::Node> parseEqu(Parser& parser, const Token& labelOrKeyword);
// Keywords that begin with "def".
std::shared_ptr<Syntax::Node> parseDef(Parser& parser, const Token& labelOrKeyword);
// Keywords that begin with "NV0".
std::shared_ptr<Syntax::Node> parseNv0(Parser& parser, const Token& labelOrKeyword);

}  // namespace VEXA::Directive
