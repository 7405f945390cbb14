// The parse driver: the whole source into the list of top-level nodes.
#pragma once

#include "syntax/node.h"
#include "toolchain/context.h"
#include "toolchain/source_text.h"

#include <functional>
#include <istream>
#include <memory>
#include <string>

namespace VEXA {

class Parser;
using Syntax::NodeList;

// The whole result of one parse. It owns everything its nodes point into: the context (flags,
// diagnostics, symbol table) directly, and the node memory and source name through the nodes
// themselves, so the result stays valid however long it, or any node taken from it, is kept.
struct Program {
  std::shared_ptr<Toolchain::Context> context;
  NodeList nodes;
  // Set when node memory ran out: the parse stopped there, and the result is incomplete.
  bool outOfMemory = false;
};

// Every problem of the source becomes a diagnostic in the result's context; only a lack of memory
// fails the parse (Program::outOfMemory). The bytes are read in place; a null source is an empty
// one.
Program parseProgram(std::shared_ptr<const Toolchain::SourceText> source,
                     std::shared_ptr<Toolchain::Context> context);
// The same, but each top-level node goes to `each` as soon as it is parsed and is not kept: a
// caller that only encodes the nodes reads each one while it is still in the cache, and its memory
// is reused for the statements after it. The result's node list stays empty.
using NodeSink = std::function<void(const Syntax::Node&)>;
Program parseProgram(std::shared_ptr<const Toolchain::SourceText> source,
                     std::shared_ptr<Toolchain::Context> context, const NodeSink& each);
// The same for a stream, read whole into memory first.
Program parseProgram(std::shared_ptr<std::istream> source,
                     std::shared_ptr<Toolchain::Context> context);

// One statement, with its end-of-line check and error recovery; null when no node was built.
std::shared_ptr<Syntax::Node> parseStatement(Parser& parser);

}  // namespace VEXA
