// The search for long node lists: a writer that writes nothing and only counts nodes. Nesting is
// bounded by the parser, so the recursion here is as deep as the conversion's own.
#include "addon/long_lists.h"

namespace VEXA::Addon {

const std::vector<LongLists::List>& LongLists::find(const Syntax::Node& node) {
  lists_.clear();
  visit(node);
  return lists_;
}

size_t LongLists::visit(const Syntax::Node& node) {
  const Syntax::Node* owner = owner_;
  const size_t count = count_;
  owner_ = &node;
  count_ = 1;
  node.describe(*this);
  const size_t total = count_;
  owner_ = owner;
  count_ = count;
  return total;
}

Syntax::Writer& LongLists::node(const char*, const Syntax::Node& value) {
  count_ += visit(value);
  return *this;
}

Syntax::Writer& LongLists::nodes(const char* name, const Syntax::NodeList& values) {
  size_t total = 0;
  for (const auto& value : values) total += visit(*value);
  if (total > kLongest) {
    // The list may be a temporary of the owner's description: its elements are kept instead.
    List list{owner_, name, {}};
    list.items.reserve(values.size());
    for (const auto& value : values) list.items.push_back(value.get());
    lists_.push_back(std::move(list));
  }
  count_ += total;
  return *this;
}

}  // namespace VEXA::Addon
