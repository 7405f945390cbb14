// The compact writer's stream, layouts and text table.
#include "syntax/compact_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace VEXA::Syntax {

namespace {

constexpr uint64_t kHashStart = 14695981039346656037ull;
constexpr uint64_t kHashPrime = 1099511628211ull;
// Texts longer than this are never a writer's stack temporary (the diagnostic code is one) nor a
// string's inline buffer, so the same address with the same size means the same text.
constexpr size_t kAddressCached = 24;

uint64_t hashBytes(std::string_view text) {
  uint64_t hash = kHashStart;
  for (const char c : text) hash = (hash ^ static_cast<uint8_t>(c)) * kHashPrime;
  return hash ^ (hash >> 29);
}

}  // namespace

CompactWriter::CompactWriter() : slots_(1024, 0) {}

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
  if (text.size() > kAddressCached && text.data() == lastData_ && text.size() == lastSize_) {
    return lastId_;
  }
  // The text table's offsets are 32-bit; a single parse never holds 4 GiB of distinct texts
  // (the source would have to be larger than a buffer can be), but the count stays checked.
  const uint64_t hash = hashBytes(text);
  size_t mask = slots_.size() - 1;
  size_t at = hash & mask;
  while (slots_[at] != 0) {
    const TextEntry& entry = texts_[slots_[at] - 1];
    if (entry.size == text.size() && (text.empty() || std::memcmp(bytes_.data() + entry.offset,
                                                                  text.data(), text.size()) == 0)) {
      const auto id = static_cast<int32_t>(slots_[at] - 1);
      if (text.size() > kAddressCached) {
        lastData_ = text.data();
        lastSize_ = text.size();
        lastId_ = id;
      }
      return id;
    }
    at = (at + 1) & mask;
  }
  const bool ascii =
      std::all_of(text.begin(), text.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
  texts_.push_back(
      {static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(text.size()), ascii});
  bytes_.append(text);
  const auto id = static_cast<int32_t>(texts_.size() - 1);
  slots_[at] = static_cast<uint32_t>(id) + 1;
  if (2 * texts_.size() > slots_.size()) {
    // Half full: double the table and place every text again.
    std::vector<uint32_t> slots(2 * slots_.size(), 0);
    mask = slots.size() - 1;
    for (size_t i = 0; i < texts_.size(); ++i) {
      const TextEntry& entry = texts_[i];
      size_t place = hashBytes({bytes_.data() + entry.offset, entry.size}) & mask;
      while (slots[place] != 0) place = (place + 1) & mask;
      slots[place] = static_cast<uint32_t>(i) + 1;
    }
    slots_ = std::move(slots);
  }
  if (text.size() > kAddressCached) {
    lastData_ = text.data();
    lastSize_ = text.size();
    lastId_ = id;
  }
  return id;
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
    add(name, Kind::Wide);
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
