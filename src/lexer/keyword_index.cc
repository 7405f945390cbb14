// Building and probing the keyword index.
#include "lexer/keyword_index.h"

#include "toolchain/characters.h"

#include <bit>
#include <cstring>

namespace VEXA::Lexer {

namespace {

// FNV-1a over 32 bits: a multiply and an exclusive-or per byte, good enough for a few hundred
// short words.
constexpr uint32_t kOffset = 2166136261u;
constexpr uint32_t kPrime = 16777619u;

}  // namespace

KeywordIndex::KeywordIndex(const KeywordTable* table) {
  if (table == nullptr || table->words.empty()) return;
  strict_ = table->strict;
  // At most half full, so that probes stay short.
  const size_t capacity = std::bit_ceil(table->words.size() * 2);
  slots_.resize(capacity);
  mask_ = capacity - 1;
  for (const auto& [word, kind] : table->words) {
    // Keys are stored as written: hashing them unfolded keeps a key that the table's owner left in
    // lower case out of reach in a table that is not strict, as it is out of reach of the map.
    uint32_t h = kOffset;
    for (const char c : word) h = (h ^ static_cast<unsigned char>(c)) * kPrime;
    size_t at = h & mask_;
    while (slots_[at].key != nullptr) at = (at + 1) & mask_;
    slots_[at] = {word.data(), static_cast<uint32_t>(word.size()), h, kind};
    if (!word.empty()) {
      lengths_[static_cast<unsigned char>(word[0])] |= uint64_t{1} << lengthBit(word.size());
    }
  }
}

uint32_t KeywordIndex::hash(std::string_view word) const {
  uint32_t h = kOffset;
  if (strict_) {
    for (const char c : word) h = (h ^ static_cast<unsigned char>(c)) * kPrime;
  } else {
    for (const char c : word) h = (h ^ static_cast<unsigned char>(upper(c))) * kPrime;
  }
  return h;
}

TokenKind KeywordIndex::find(std::string_view word) const {
  if (slots_.empty()) return TokenKind::Identifier;
  if (!word.empty()) {
    // A key would be written as the folded word: its first byte must be that one.
    const char first = strict_ ? word[0] : upper(word[0]);
    const uint64_t lengths = lengths_[static_cast<unsigned char>(first)];
    if ((lengths >> lengthBit(word.size()) & 1) == 0) return TokenKind::Identifier;
  }
  const uint32_t h = hash(word);
  for (size_t at = h & mask_;; at = (at + 1) & mask_) {
    const Slot& slot = slots_[at];
    if (slot.key == nullptr) return TokenKind::Identifier;
    if (slot.hash != h || slot.length != word.size()) continue;
    if (strict_) {
      if (std::memcmp(slot.key, word.data(), word.size()) == 0) return slot.kind;
      continue;
    }
    size_t i = 0;
    while (i < word.size() && upper(word[i]) == slot.key[i]) ++i;
    if (i == word.size()) return slot.kind;
  }
}

}  // namespace VEXA::Lexer
