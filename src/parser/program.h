// The parse driver: the whole source into the list of top-level nodes.
#pragma once

#include "toolchain/context.h"
#include "toolchain/node.h"

#include <istream>
#include <memory>
#include <vector>

namespace VEXA {

class Parser;
using NodeList = std::vector<std::shared_ptr<Syntax::Node>>;

// Never fails: every problem of the source becomes a diagnostic in the context.
NodeList parseProgram(std::shared_ptr<std::istream> source,
                      std::shared_ptr<Toolchain::Context> context);

// One statement, with its end-of-line check and error recovery; null when no node was built.
std::shared_ptr<Syntax::Node> parseStatement(Parser& parser);

}  // namespace VEXA
