// Keyword lookup and the keyword registry.
#include "addon/keyword_table.h"

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
  for (size_t i = 0; i < word.size(); ++i) {
    const char c = word[i];
    folded[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  auto found = table.words.find(std::string_view(folded, word.size()));
  return found == table.words.end() ? Lexer::TokenKind::Identifier : found->second;
}

KeywordRegistry& KeywordRegistry::instance() {
  // Deliberately never destroyed: worker threads and process exit may still reach it while
  // static destructors run, and a destroyed mutex there would be undefined behaviour.
  static KeywordRegistry* registry = new KeywordRegistry();
  return *registry;
}

int32_t KeywordRegistry::add(std::shared_ptr<const KeywordTable> table) {
  std::lock_guard lock(mutex_);
  const int32_t reference = nextReference_++;
  tables_.emplace(reference, std::move(table));
  return reference;
}

void KeywordRegistry::remove(int32_t reference) {
  std::lock_guard lock(mutex_);
  tables_.erase(reference);
}

std::shared_ptr<const KeywordTable> KeywordRegistry::find(int32_t reference) const {
  std::lock_guard lock(mutex_);
  auto found = tables_.find(reference);
  return found == tables_.end() ? nullptr : found->second;
}

}  // namespace VEXA
