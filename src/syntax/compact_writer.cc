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

constexpr uint64_t kHashStart = 14695981039346656037ull;
constexpr uint64_t kHashPrime = 1099511628211ull;
}  // namespace

CompactWriter::CompactWriter(const Limits& limits)
    : limits_(limits), texts_(limits.textBytes, limits.textSize) {}

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
  const auto& entries = texts_.entries();
  if (textsTaken_ < entries.size()) {
    const uint32_t base = entries[textsTaken_].offset;
    chunk.texts.reserve(3 * (entries.size() - textsTaken_));
    for (size_t i = textsTaken_; i < entries.size(); ++i) {
      chunk.texts.push_back(entries[i].offset - base);
      chunk.texts.push_back(entries[i].size);
      chunk.texts.push_back(entries[i].ascii ? 1 : 0);
    }
    std::string& bytes = texts_.bytes();
    if (last && base == 0) {
      // Nothing more is interned: the bytes need no copy.
      chunk.bytes = std::move(bytes);
    } else {
      chunk.bytes.assign(bytes, base);
    }
    textsTaken_ = entries.size();
  }
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
  frames_.push_back({current_.size(), properties_.size(), kHashStart});
  current_.push_back(0);
}

void CompactWriter::end() {
  const Frame frame = frames_.back();
  frames_.pop_back();
  current_[frame.at] = static_cast<int32_t>(layoutOf(
      properties_.data() + frame.properties, properties_.size() - frame.properties, frame.hash));
  properties_.resize(frame.properties);
}

void CompactWriter::add(const char* name, Kind kind) {
  properties_.push_back({name, kind});
  uint64_t& hash = frames_.back().hash;
  hash = (hash ^ reinterpret_cast<uintptr_t>(name)) * kHashPrime;
  hash = (hash ^ static_cast<uint64_t>(kind)) * kHashPrime;
}

uint32_t CompactWriter::layoutOf(const Property* properties, size_t count, uint64_t hash) {
  auto [first, last] = layoutIds_.equal_range(hash);
  for (auto it = first; it != last; ++it) {
    const Layout& known = layouts_[it->second];
    if (known.size() == count && std::equal(known.begin(), known.end(), properties)) {
      return it->second;
    }
  }
  const auto id = static_cast<uint32_t>(layouts_.size());
  layouts_.emplace_back(properties, properties + count);
  layoutIds_.emplace(hash, id);
  return id;
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
