// Keyword table sets: the caller's word lists as one map from keyword text to token kind.
#pragma once

#include "lexer/token.h"

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

}  // namespace VEXA
