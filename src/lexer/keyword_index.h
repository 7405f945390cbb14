// A parse's own index of its keyword table: every word of the lexer is looked up, so the lookup
// first asks whether any keyword has the word's first letter and length (most words are names,
// and most names fail there), then folds and hashes the word in one pass and probes a small
// open-addressing table, with no copy of the word and no division.
#pragma once

#include "lexer/keyword_table.h"
#include "lexer/token.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace VEXA::Lexer {

class KeywordIndex {
 public:
  // Views the table's words: the table must outlive the index (the parse's context holds both).
  // Null indexes no word.
  explicit KeywordIndex(const KeywordTable* table);

  // What lookupKeyword gives for the word: its kind, or Identifier when it is no keyword.
  TokenKind find(std::string_view word) const;

 private:
  struct Slot {
    const char* key = nullptr;  // null: empty
    uint32_t length = 0;
    uint32_t hash = 0;
    TokenKind kind = TokenKind::Identifier;
  };

  // The hash of the word as the table's keys are written: upper-cased unless strict.
  uint32_t hash(std::string_view word) const;

  // For each first byte as the keys are written, a bit for each key length that has it (bit 63
  // for 63 bytes or more).
  static size_t lengthBit(size_t length) { return length < 63 ? length : 63; }
  std::array<uint64_t, 256> lengths_{};
  bool strict_ = false;
  size_t mask_ = 0;
  std::vector<Slot> slots_;
};

}  // namespace VEXA::Lexer
