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

// Texts remembered by hash, and by address: at least, and at most (16 bytes each, in the cache).
constexpr size_t kFewestHot = 512;
constexpr size_t kMostHot = size_t{1} << 14;
constexpr size_t kRecent = 1024;
// About one text for every eight words of encoding.
constexpr size_t kWordsPerText = 8;

}  // namespace

TextInterner::TextInterner(uint64_t maxBytes, uint64_t maxSize)
    : maxBytes_(maxBytes), maxSize_(maxSize), recent_(kRecent), hot_(kFewestHot) {}

void TextInterner::reserve(size_t words) {
  size_t hot = kFewestHot;
  while (hot < kMostHot && hot * kWordsPerText < words) hot *= 2;
  if (hot > hot_.size() && entries_.empty()) hot_.assign(hot, Hot{});
}

bool TextInterner::equal(const Entry& entry, std::string_view text) const {
  return entry.size == text.size() &&
         (text.empty() || std::memcmp(bytes_.data() + entry.offset, text.data(), text.size()) == 0);
}

int32_t TextInterner::intern(std::string_view text) {
  // An empty view may have no data at all (the path of a made-up token).
  if (text.data() == nullptr) text = std::string_view("", 0);
  // A cache by address saves the hash; comparing the bytes keeps it right for texts that only
  // happen to reuse an address (a describer's temporary, a node made where another was).
  Recent& recent = recent_[(reinterpret_cast<uintptr_t>(text.data()) >> 3) & (kRecent - 1)];
  if (recent.data == text.data() && recent.size == text.size() && recent.id >= 0 &&
      equal(entries_[recent.id], text)) {
    return recent.id;
  }
  const int32_t id = lookup(text);
  recent = {text.data(), text.size(), id};
  return id;
}

int32_t TextInterner::lookup(std::string_view text) {
  const uint64_t hash = hashBytes(text);
  Hot& hot = hot_[hash & (hot_.size() - 1)];
  if (hot.hash == hash && hot.id >= 0 && equal(entries_[static_cast<uint32_t>(hot.id)], text)) {
    return hot.id;
  }
  const int32_t id = add(text);
  hot = {hash, id};
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
  if (bytes_.size() + text.size() > maxBytes_) {
    if (failure_.empty()) {
      failure_ = "the texts of the result take more than " + std::to_string(maxBytes_) +
                 " bytes (text offsets are 32-bit)";
    }
    return -1;
  }
  const bool ascii =
      std::all_of(text.begin(), text.end(), [](char c) { return static_cast<uint8_t>(c) < 0x80; });
  entries_.push_back(
      {static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(text.size()), ascii});
  bytes_.append(text);
  return static_cast<int32_t>(entries_.size() - 1);
}

}  // namespace VEXA::Syntax
