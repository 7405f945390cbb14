// The process-wide registry that hands out keyword table sets by number.
#pragma once

#include "lexer/keyword_table.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace VEXA {

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
