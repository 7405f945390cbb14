// The compact writer's stream, layouts and text table.
#include "syntax/compact_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace VEXA::Syntax {

namespace {

// Edges in the layout table at first; it doubles when half full. A few hundred states cover every
// describer, so the table stays in the cache.
constexpr size_t kFirstEdges = 512;

size_t edgeHash(uint32_t from, const char* name, CompactWriter::Kind kind) {
  uint64_t hash = (uint64_t{from} << 8 | static_cast<uint8_t>(kind)) ^
                  static_cast<uint64_t>(reinterpret_cast<uintptr_t>(name));
  hash *= 0x9e3779b97f4a7c15ull;
  return static_cast<size_t>(hash ^ (hash >> 32));
}

}  // namespace

CompactWriter::CompactWriter(const Limits& limits)
    : limits_(limits),
      states_{{0, -1, nullptr, Kind::Range, Kind::Range, 0, nullptr}},
      edges_(kFirstEdges),
      texts_(limits.textBytes, limits.textSize) {}

const std::string* CompactWriter::failure() const {
  if (!failure_.empty()) return &failure_;
  if (!texts_.failure().empty()) return &texts_.failure();
  return nullptr;
}

void CompactWriter::fail(std::string message) {
  if (failure_.empty()) failure_ = std::move(message);
}

void CompactWriter::checkList(size_t count) {
  if (count > limits_.listCount) {
    fail("the result holds a list of more than " + std::to_string(limits_.listCount) + " elements");
  }
}

void CompactWriter::reserve(size_t words) {
  texts_.reserve(words);
  stream_.reserve(words);
#if defined(__linux__)
  // Filled front to back at once: backed by huge pages where the system allows, the stream costs a
  // page fault per 2 MiB instead of one per 4 KiB.
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  const auto start = reinterpret_cast<uintptr_t>(stream_.data());
  const uintptr_t end = start + stream_.capacity() * sizeof(int32_t);
  const uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t last = end & ~(kHugePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

CompactWriter::Chunk CompactWriter::take(std::vector<int32_t> spare, bool last) {
  Chunk chunk;
  spare.clear();
  chunk.stream = std::exchange(stream_, std::move(spare));
  TextInterner::Taken texts = texts_.take(last);
  chunk.texts = std::move(texts.texts);
  chunk.bytes = std::move(texts.bytes);
  chunk.layouts.assign(layouts_.begin() + static_cast<ptrdiff_t>(layoutsTaken_), layouts_.end());
  layoutsTaken_ = layouts_.size();
  chunk.nodes = std::exchange(nodes_, 0);
  chunk.diagnostics = std::exchange(diagnostics_, 0);
  return chunk;
}

void CompactWriter::record(int32_t tag) {
  current_.push_back(tag);
}

void CompactWriter::add(const Node& node) {
  current_.clear();
  record(kNodeRecord);
  ++nodes_;
  begin();
  node.describe(*this);
  end();
  stream_.insert(stream_.end(), current_.begin(), current_.end());
}

void CompactWriter::add(const Toolchain::Diagnostic& diagnostic) {
  current_.clear();
  record(kDiagnosticRecord);
  ++diagnostics_;
  begin();
  Syntax::describe(diagnostic, *this);
  end();
  stream_.insert(stream_.end(), current_.begin(), current_.end());
}

void CompactWriter::begin() {
  frames_.push_back({current_.size(), 0});
  current_.push_back(0);
}

void CompactWriter::end() {
  const Frame frame = frames_.back();
  frames_.pop_back();
  const int32_t layout = states_[frame.state].layout;
  current_[frame.at] = layout >= 0 ? layout : layoutAt(frame.state);
}

void CompactWriter::add(const char* name, Kind kind) {
  uint32_t& state = frames_.back().state;
  state = follow(state, name, kind);
}

uint32_t CompactWriter::follow(uint32_t from, const char* name, Kind kind) {
  State& state = states_[from];
  if (state.lastName == name && state.lastKind == kind) return state.last;
  const uint32_t to = find(from, name, kind);
  State& known = states_[from];
  known.lastName = name;
  known.lastKind = kind;
  known.last = to;
  return to;
}

uint32_t CompactWriter::find(uint32_t from, const char* name, Kind kind) {
  const size_t mask = edges_.size() - 1;
  size_t at = edgeHash(from, name, kind) & mask;
  for (; edges_[at].name != nullptr; at = (at + 1) & mask) {
    const Edge& edge = edges_[at];
    if (edge.name == name && edge.from == from && edge.kind == kind) return edge.to;
  }
  const auto to = static_cast<uint32_t>(states_.size());
  states_.push_back({from, -1, name, kind, Kind::Range, 0, nullptr});
  edges_[at] = {name, from, to, kind};
  if (2 * states_.size() > edges_.size()) {
    // Half full: double, and place every edge again (each state but the first has one).
    std::vector<Edge> edges(2 * edges_.size());
    const size_t grown = edges.size() - 1;
    for (uint32_t state = 1; state < states_.size(); ++state) {
      const State& known = states_[state];
      size_t slot = edgeHash(known.parent, known.name, known.kind) & grown;
      while (edges[slot].name != nullptr) slot = (slot + 1) & grown;
      edges[slot] = {known.name, known.parent, state, known.kind};
    }
    edges_ = std::move(edges);
  }
  return to;
}

int32_t CompactWriter::layoutAt(uint32_t state) {
  Layout properties;
  for (uint32_t at = state; at != 0; at = states_[at].parent) {
    properties.push_back({states_[at].name, states_[at].kind});
  }
  std::reverse(properties.begin(), properties.end());
  const auto layout = static_cast<int32_t>(layouts_.size());
  states_[state].layout = layout;
  layouts_.push_back(std::move(properties));
  return layout;
}

void CompactWriter::putDouble(double value) {
  int32_t words[2];
  static_assert(sizeof words == sizeof value);
  std::memcpy(words, &value, sizeof value);
  current_.push_back(words[0]);
  current_.push_back(words[1]);
}

Writer& CompactWriter::range(const char* name, const Toolchain::Range& value) {
  add(name, Kind::Range);
  current_.push_back(static_cast<int32_t>(value.start.line));
  current_.push_back(static_cast<int32_t>(value.start.character));
  current_.push_back(static_cast<int32_t>(value.end.line));
  current_.push_back(static_cast<int32_t>(value.end.character));
  return *this;
}

Writer& CompactWriter::integer(const char* name, int64_t value) {
  if (value >= INT32_MIN && value <= INT32_MAX) {
    add(name, Kind::Integer);
    current_.push_back(static_cast<int32_t>(value));
  } else {
    // Past 32 bits an integer travels as the double it becomes in JavaScript anyway.
    add(name, Kind::Number);
    putDouble(static_cast<double>(value));
  }
  return *this;
}

Writer& CompactWriter::number(const char* name, double value) {
  // Whole numbers in 32 bits travel as integers: one word, and the reader makes the same number
  // from it. -0 and NaN do not, so that they come out exactly as they went in.
  if (value >= INT32_MIN && value <= INT32_MAX && value == std::trunc(value) &&
      !(value == 0 && std::signbit(value))) {
    add(name, Kind::Integer);
    current_.push_back(static_cast<int32_t>(value));
  } else {
    add(name, Kind::Number);
    putDouble(value);
  }
  return *this;
}

Writer& CompactWriter::text(const char* name, std::string_view value) {
  add(name, Kind::Text);
  current_.push_back(texts_.intern(value));
  return *this;
}

Writer& CompactWriter::boolean(const char* name, bool value) {
  add(name, Kind::Boolean);
  current_.push_back(value ? 1 : 0);
  return *this;
}

Writer& CompactWriter::texts(const char* name, const std::vector<std::string>& values) {
  add(name, Kind::Texts);
  checkList(values.size());
  current_.push_back(static_cast<int32_t>(values.size()));
  for (const std::string& value : values) current_.push_back(texts_.intern(value));
  return *this;
}

Writer& CompactWriter::node(const char* name, const Node& value) {
  add(name, Kind::Node);
  begin();
  value.describe(*this);
  end();
  return *this;
}

Writer& CompactWriter::nodes(const char* name, const NodeList& values) {
  add(name, Kind::Nodes);
  checkList(values.size());
  const size_t count = current_.size();
  current_.push_back(static_cast<int32_t>(values.size()));
  for (const auto& value : values) {
    begin();
    value->describe(*this);
    end();
  }
  if (current_.size() - count > kLongList) {
    // Long: its elements become a list record of their own, and the owner refers to it. Long
    // lists inside them have already left, so the record precedes every record that uses it.
    stream_.push_back(kListRecord);
    stream_.push_back(static_cast<int32_t>(values.size()));
    stream_.insert(stream_.end(), current_.begin() + static_cast<ptrdiff_t>(count + 1),
                   current_.end());
    current_.resize(count + 1);
    current_[count] = ~lists_++;
  }
  return *this;
}

}  // namespace VEXA::Syntax
