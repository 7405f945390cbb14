// Keyword table sets and the process-wide registry that hands them out by number.
#pragma once

#include "lexer/token.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace VEXA {

// Hash and equality that accept string views, so lookups never build a std::string.
struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// Immutable once built; shared by the registry and by every parse that uses it.
struct KeywordTable {
  bool strict = false;
  // Keys are upper-cased when the table is not strict.
  std::unordered_map<std::string, Lexer::TokenKind, TextHash, std::equal_to<>> words;
};

// The kind of a word, or Identifier when it is no keyword.
Lexer::TokenKind lookupKeyword(const KeywordTable& table, std::string_view word);

// One per process. Worker threads each load the module, so access is serialised with a mutex.
class KeywordRegistry {
 public:
  static KeywordRegistry& instance();

  int32_t add(std::shared_ptr<const KeywordTable> table);
  void remove(int32_t reference);
  std::shared_ptr<const KeywordTable> find(int32_t reference) const;

 private:
  KeywordRegistry() = default;

  mutable std::mutex mutex_;
  int32_t nextReference_ = 0;
  std::unordered_map<int32_t, std::shared_ptr<const KeywordTable>> tables_;
};

}  // namespace VEXA
