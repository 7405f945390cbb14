// A parse's own index of its keyword table: every word of the lexer is looked up, so the lookup
// folds and hashes the word in one pass and probes a small open-addressing table, with no copy of
// the word and no division.
#pragma once

#include "lexer/keyword_table.h"
#include "lexer/token.h"

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

  bool strict_ = false;
  size_t mask_ = 0;
  std::vector<Slot> slots_;
};

}  // namespace VEXA::Lexer
