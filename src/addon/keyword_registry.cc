// The keyword registry.
#include "addon/keyword_registry.h"

namespace VEXA {

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
