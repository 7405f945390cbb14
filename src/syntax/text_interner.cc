// The interned texts of a compact encoding.
#include "syntax/text_interner.h"

#include <algorithm>
#include <cstring>

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

namespace {

// Texts remembered by key, and long ones by address: at least, and at most (16 bytes each). The
// most stays within a core's second-level cache: a table eight times larger finds about 7% more
// texts again, but each lookup then waits on memory, and the lookups cost more than the strings
// the JavaScript thread makes of the texts it did not find.
constexpr size_t kFewestHot = 512;
constexpr size_t kMostHot = size_t{1} << 12;
constexpr size_t kRecent = 1024;
// About one text for every eight words of encoding.
constexpr size_t kWordsPerText = 8;

}  // namespace

TextInterner::TextInterner(uint64_t maxBytes, uint64_t maxSize)
    : maxBytes_(maxBytes), maxSize_(maxSize), recent_(kRecent), hot_(kFewestHot) {}

void TextInterner::reserve(size_t words) {
  size_t hot = kFewestHot;
  while (hot < kMostHot && hot * kWordsPerText < words) hot *= 2;
  if (hot > hot_.size() && taken_ == 0 && texts_.empty()) hot_.assign(hot, Hot{});
}

uint64_t TextInterner::keyOf(std::string_view text) {
  const auto* at = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  if (size > kShortText) return hashBytes(text);
  if (size >= 4) {
    // Two loads that overlap cover every byte; with the size known they give the bytes back.
    uint32_t first;
    uint32_t last;
    std::memcpy(&first, at, 4);
    std::memcpy(&last, at + size - 4, 4);
    return first | (uint64_t{last} << 32);
  }
  if (size == 0) return 0;
  return at[0] | (uint64_t{at[size / 2]} << 8) | (uint64_t{at[size - 1]} << 16);
}

bool TextInterner::same(int32_t id, uint32_t size, std::string_view text) const {
  if (id < 0 || size != text.size()) return false;
  // A short text's key is its bytes; a long one's is a hash, which different bytes may share.
  if (text.size() <= kShortText) return true;
  if (static_cast<uint32_t>(id) < taken_) return false;
  const size_t at = 3 * (static_cast<uint32_t>(id) - taken_);
  return std::memcmp(bytes_.data() + texts_[at], text.data(), text.size()) == 0;
}

int32_t TextInterner::intern(std::string_view text) {
  // An empty view may have no data at all (the path of a made-up token).
  if (text.data() == nullptr) text = std::string_view("", 0);
  if (text.size() <= kShortText) return lookup(text, keyOf(text));
  // Long texts met again at the same address (every node's file path) skip the hash. Comparing
  // the bytes keeps it right for texts that only happen to reuse an address (a describer's
  // temporary, a node made where another was).
  Recent& recent = recent_[(reinterpret_cast<uintptr_t>(text.data()) >> 3) & (kRecent - 1)];
  if (recent.data == text.data() && same(recent.id, recent.size, text)) return recent.id;
  const int32_t id = lookup(text, keyOf(text));
  recent = {text.data(), static_cast<uint32_t>(text.size()), id};
  return id;
}

int32_t TextInterner::lookup(std::string_view text, uint64_t key) {
  uint64_t mixed = (key ^ text.size()) * kHashPrime;
  mixed ^= mixed >> 29;
  Hot& hot = hot_[mixed & (hot_.size() - 1)];
  if (hot.key == key && same(hot.id, hot.size, text)) return hot.id;
  const int32_t id = add(text);
  hot = {key, static_cast<uint32_t>(text.size()), id};
  return id;
}

int32_t TextInterner::add(std::string_view text) {
  // Past a limit the text is not kept; the encoding is refused as a whole.
  if (text.size() > maxSize_) {
    if (failure_.empty()) {
      failure_ = "the result holds a text longer than the engine's longest string (" +
                 std::to_string(maxSize_) + " characters)";
    }
    return -1;
  }
  if (takenBytes_ + bytes_.size() + text.size() > maxBytes_) {
    if (failure_.empty()) {
      failure_ = "the texts of the result take more than " + std::to_string(maxBytes_) +
                 " bytes (text offsets are 32-bit)";
    }
    return -1;
  }
  const bool ascii =
      std::all_of(text.begin(), text.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
  const auto id = static_cast<int32_t>(taken_ + texts_.size() / 3);
  texts_.insert(texts_.end(), {static_cast<uint32_t>(bytes_.size()),
                               static_cast<uint32_t>(text.size()), ascii ? 1u : 0u});
  bytes_.append(text);
  return id;
}

TextInterner::Taken TextInterner::take(bool last) {
  Taken taken{std::move(texts_), std::move(bytes_)};
  taken_ += static_cast<uint32_t>(taken.texts.size() / 3);
  takenBytes_ += taken.bytes.size();
  texts_ = {};
  bytes_ = {};
  if (last) return taken;
  // The next chunk's texts are likely as many: room now saves growing (and copying) them again.
  texts_.reserve(taken.texts.size());
  bytes_.reserve(taken.bytes.size());
  return taken;
}

}  // namespace VEXA::Syntax
