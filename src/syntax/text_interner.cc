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

TextInterner::TextInterner(uint64_t maxBytes, uint64_t maxSize)
    : maxBytes_(maxBytes), maxSize_(maxSize), slots_(1024, 0) {}

bool TextInterner::equal(const Entry& entry, std::string_view text) const {
  return entry.size == text.size() &&
         (text.empty() || std::memcmp(bytes_.data() + entry.offset, text.data(), text.size()) == 0);
}

int32_t TextInterner::intern(std::string_view text) {
  // An empty view may have no data at all (the path of a made-up token).
  if (text.data() == nullptr) text = std::string_view("", 0);
  // Most texts are views into the nodes' own tokens, met again at the same address (every node's
  // file path is one): a cache by address saves the hash, and comparing the bytes keeps it right
  // for texts that only happen to reuse an address (a describer's temporary).
  Recent& recent = recent_[(reinterpret_cast<uintptr_t>(text.data()) >> 3) & (recent_.size() - 1)];
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
  // Mnemonics, registers and small numbers come back all the time: a small table of the texts
  // met last, by hash, stays in the cache where the large one does not.
  Hot& hot = hot_[hash & (hot_.size() - 1)];
  if (hot.hash == hash && hot.id >= 0 && equal(entries_[static_cast<uint32_t>(hot.id)], text)) {
    return hot.id;
  }
  const int32_t id = find(text, hash);
  hot = {hash, id};
  return id;
}

int32_t TextInterner::find(std::string_view text, uint64_t hash) {
  // A slot holds the text's number + 1 in its low half and the top of its hash in the high half,
  // so that a probe past another text rarely has to look at that text's bytes.
  const uint64_t tag = hash & 0xffffffff00000000ull;
  size_t mask = slots_.size() - 1;
  size_t at = hash & mask;
  while (slots_[at] != 0) {
    if ((slots_[at] & 0xffffffff00000000ull) == tag) {
      const auto id = static_cast<uint32_t>(slots_[at]) - 1;
      if (equal(entries_[id], text)) return static_cast<int32_t>(id);
    }
    at = (at + 1) & mask;
  }
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
  const auto id = static_cast<uint32_t>(entries_.size() - 1);
  slots_[at] = tag | (id + 1);
  if (2 * entries_.size() > slots_.size()) {
    // Half full: double the table and place every text again.
    std::vector<uint64_t> slots(2 * slots_.size(), 0);
    mask = slots.size() - 1;
    for (const uint64_t slot : slots_) {
      if (slot == 0) continue;
      const Entry& entry = entries_[static_cast<uint32_t>(slot) - 1];
      size_t place = hashBytes({bytes_.data() + entry.offset, entry.size}) & mask;
      while (slots[place] != 0) place = (place + 1) & mask;
      slots[place] = slot;
    }
    slots_ = std::move(slots);
  }
  return static_cast<int32_t>(id);
}

}  // namespace VEXA::Syntax
