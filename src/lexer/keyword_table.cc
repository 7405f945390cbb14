// Keyword lookup.
#include "lexer/keyword_table.h"

#include "toolchain/characters.h"

namespace VEXA {

Lexer::TokenKind lookupKeyword(const KeywordTable& table, std::string_view word) {
  if (table.strict) {
    auto found = table.words.find(word);
    return found == table.words.end() ? Lexer::TokenKind::Identifier : found->second;
  }
  // Words are short; fold into a stack buffer and only fall back to the heap for long ones.
  char buffer[64];
  std::string heap;
  char* folded = buffer;
  if (word.size() > sizeof buffer) {
    heap.resize(word.size());
    folded = heap.data();
  }
  for (size_t i = 0; i < word.size(); ++i) folded[i] = upper(word[i]);
  auto found = table.words.find(std::string_view(folded, word.size()));
  return found == table.words.end() ? Lexer::TokenKind::Identifier : found->second;
}

}  // namespace VEXA
