// The interface that nodes and diagnostics describe themselves to: one call per property, name and
// value together, in the order the property appears in the result. A writer turns the calls into
// whatever form it builds (JavaScript objects in the addon); nothing here depends on a JavaScript
// engine, so a description can be written on any thread.
#pragma once

#include "toolchain/diagnostic.h"
#include "toolchain/position.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace VEXA::Syntax {

class Node;
using NodeList = std::vector<std::shared_ptr<Node>>;

class Writer {
 public:
  virtual ~Writer() = default;

  // {start: {line, character}, end: {line, character}}.
  virtual Writer& range(const char* name, const Toolchain::Range& value) = 0;
  // A number; integers of any size up to 64 bits (large ones lose precision as doubles do).
  virtual Writer& integer(const char* name, int64_t value) = 0;
  virtual Writer& number(const char* name, double value) = 0;
  // UTF-8 bytes, taken as they are.
  virtual Writer& text(const char* name, std::string_view value) = 0;
  virtual Writer& boolean(const char* name, bool value) = 0;
  // An array of strings.
  virtual Writer& texts(const char* name, const std::vector<std::string>& values) = 0;
  // A child node's own description, as a nested object.
  virtual Writer& node(const char* name, const Node& value) = 0;
  // An array of child nodes; always written, empty or not.
  virtual Writer& nodes(const char* name, const NodeList& values) = 0;
};

// A diagnostic: "code" ("VEXA" and the number), "severity", "args" (only when there are any),
// "range".
void describe(const Toolchain::Diagnostic& diagnostic, Writer& out);

}  // namespace VEXA::Syntax
