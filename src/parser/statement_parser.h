// A statement parser: an acceptance test on the line's first token and the parse that follows it.
#pragma once

#include "parser/parser.h"
#include "syntax/node.h"

#include <memory>

namespace VEXA {

class StatementParser {
 public:
  virtual ~StatementParser() = default;
  // May consume the token it tests for; the parse then finds it in `previous`.
  virtual bool accept(Parser& parser) const = 0;
  // Null when no node was built; any error has been reported already.
  virtual std::shared_ptr<Syntax::Node> parse(Parser& parser) const = 0;
};

}  // namespace VEXA
