// The compact writer's stream, layouts and text table.
#include "syntax/compact_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace VEXA::Syntax {

namespace {

constexpr uint64_t kHashStart = 14695981039346656037ull;
constexpr uint64_t kHashPrime = 1099511628211ull;
// Eight bytes at a time: texts are mostly short names and numbers, hashed once per use.
uint64_t hashBytes(std::string_view text) {
  uint64_t hash = kHashStart ^ text.size();
  size_t at = 0;
  for (; at + 8 <= text.size(); at += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + at, 8);
    hash = (hash ^ word) * kHashPrime;
    hash ^= hash >> 32;
  }
  uint64_t tail = 0;
  std::memcpy(&tail, text.data() + at, text.size() - at);
  hash = (hash ^ tail) * kHashPrime;
  return hash ^ (hash >> 29);
}

}  // namespace

CompactWriter::CompactWriter(const Limits& limits) : limits_(limits), slots_(1024, 0) {}

void CompactWriter::fail(std::string message) {
  if (failure_.empty()) failure_ = std::move(message);
}

void CompactWriter::checkList(size_t count) {
  if (count > limits_.listCount) {
    fail("the result holds a list of more than " + std::to_string(limits_.listCount) + " elements");
  }
}

void CompactWriter::reserve(size_t words) {
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

void CompactWriter::record(int32_t tag) {
  current_.push_back(tag);
}

void CompactWriter::add(const Node& node) {
  current_.clear();
  record(kNodeRecord);
  begin();
  node.describe(*this);
  end();
  stream_.insert(stream_.end(), current_.begin(), current_.end());
}

void CompactWriter::add(const Toolchain::Diagnostic& diagnostic) {
  current_.clear();
  record(kDiagnosticRecord);
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

int32_t CompactWriter::intern(std::string_view text) {
  // Most texts are views into the nodes' own tokens, met again at the same address (every node's
  // file path is one): a cache by address saves the hash, and comparing the bytes keeps it right
  // for texts that only happen to reuse an address (a describer's temporary).
  Recent& recent = recent_[(reinterpret_cast<uintptr_t>(text.data()) >> 3) & (recent_.size() - 1)];
  if (recent.data == text.data() && recent.size == text.size() && recent.id >= 0 &&
      (text.empty() ||
       std::memcmp(bytes_.data() + texts_[recent.id].offset, text.data(), text.size()) == 0)) {
    return recent.id;
  }
  const int32_t id = lookup(text);
  recent = {text.data(), text.size(), id};
  return id;
}

int32_t CompactWriter::lookup(std::string_view text) {
  const uint64_t hash = hashBytes(text);
  // Mnemonics, registers and small numbers come back all the time: a small table of the texts
  // met last, by hash, stays in the cache where the large one does not.
  Hot& hot = hot_[hash & (hot_.size() - 1)];
  if (hot.hash == hash && hot.id >= 0) {
    const TextEntry& entry = texts_[static_cast<uint32_t>(hot.id)];
    if (entry.size == text.size() && (text.empty() || std::memcmp(bytes_.data() + entry.offset,
                                                                  text.data(), text.size()) == 0)) {
      return hot.id;
    }
  }
  const int32_t id = find(text, hash);
  hot = {hash, id};
  return id;
}

int32_t CompactWriter::find(std::string_view text, uint64_t hash) {
  // A slot holds the text's number + 1 in its low half and the top of its hash in the high half,
  // so that a probe past another text rarely has to look at that text's bytes.
  const uint64_t tag = hash & 0xffffffff00000000ull;
  size_t mask = slots_.size() - 1;
  size_t at = hash & mask;
  while (slots_[at] != 0) {
    if ((slots_[at] & 0xffffffff00000000ull) == tag) {
      const auto id = static_cast<uint32_t>(slots_[at]) - 1;
      const TextEntry& entry = texts_[id];
      if (entry.size == text.size() &&
          (text.empty() ||
           std::memcmp(bytes_.data() + entry.offset, text.data(), text.size()) == 0)) {
        return static_cast<int32_t>(id);
      }
    }
    at = (at + 1) & mask;
  }
  // Past a limit the result is rejected: the text is not kept, and its number is never read.
  if (text.size() > limits_.textSize) {
    fail("the result holds a text longer than the engine's longest string (" +
         std::to_string(limits_.textSize) + " characters)");
    return -1;
  }
  if (bytes_.size() + text.size() > limits_.textBytes) {
    fail("the texts of the result take more than " + std::to_string(limits_.textBytes) +
         " bytes (text offsets are 32-bit)");
    return -1;
  }
  const bool ascii =
      std::all_of(text.begin(), text.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
  texts_.push_back(
      {static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(text.size()), ascii});
  bytes_.append(text);
  const auto id = static_cast<uint32_t>(texts_.size() - 1);
  slots_[at] = tag | (id + 1);
  if (2 * texts_.size() > slots_.size()) {
    // Half full: double the table and place every text again.
    std::vector<uint64_t> slots(2 * slots_.size(), 0);
    mask = slots.size() - 1;
    for (const uint64_t slot : slots_) {
      if (slot == 0) continue;
      const TextEntry& entry = texts_[static_cast<uint32_t>(slot) - 1];
      size_t place = hashBytes({bytes_.data() + entry.offset, entry.size}) & mask;
      while (slots[place] != 0) place = (place + 1) & mask;
      slots[place] = slot;
    }
    slots_ = std::move(slots);
  }
  return static_cast<int32_t>(id);
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
  // An empty view may have no data at all (the path of a made-up token).
  if (value.data() == nullptr) value = std::string_view("", 0);
  current_.push_back(intern(value));
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
  for (const std::string& value : values) current_.push_back(intern(value));
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
