// Finds the long node lists inside one node: the lists whose elements, with everything below
// them, are too many to convert in one go. A block of thousands of statements is one node at the
// top level; its lists are converted ahead of it, a slice at a time (addon/conversion.h).
#pragma once

#include "syntax/node.h"
#include "syntax/writer.h"

#include <cstddef>
#include <vector>

namespace VEXA::Addon {

class LongLists final : public Syntax::Writer {
 public:
  // One long list: the node that owns it, the property, and its elements.
  struct List {
    const Syntax::Node* owner;
    const char* name;
    std::vector<const Syntax::Node*> items;
  };

  // Lists of more than this many nodes, counted with all their descendants, are long.
  static constexpr size_t kLongest = 512;

  // The long lists within `node`, innermost first: each list comes after every long list inside
  // its elements, so converting them in this order finds each element's long lists done.
  const std::vector<List>& find(const Syntax::Node& node);

  Writer& range(const char*, const Toolchain::Range&) override { return *this; }
  Writer& integer(const char*, int64_t) override { return *this; }
  Writer& number(const char*, double) override { return *this; }
  Writer& text(const char*, std::string_view) override { return *this; }
  Writer& boolean(const char*, bool) override { return *this; }
  Writer& texts(const char*, const std::vector<std::string>&) override { return *this; }
  Writer& node(const char* name, const Syntax::Node& value) override;
  Writer& nodes(const char* name, const Syntax::NodeList& values) override;

 private:
  // The number of nodes in the subtree of `node`, itself included.
  size_t visit(const Syntax::Node& node);

  std::vector<List> lists_;
  const Syntax::Node* owner_ = nullptr;
  size_t count_ = 0;
};

}  // namespace VEXA::Addon
