// Copies of texts into chunks that are never moved or freed before the store.
#include "toolchain/text_store.h"

#include <cstring>

namespace VEXA::Toolchain {

std::string_view TextStore::keep(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > left_) {
    if (text.size() > kChunkSize / 4) {
      // A long text gets a chunk of its own, which leaves the current chunk's room for later.
      chunks_.push_back(std::make_unique_for_overwrite<char[]>(text.size()));
      std::memcpy(chunks_.back().get(), text.data(), text.size());
      return {chunks_.back().get(), text.size()};
    }
    chunks_.push_back(std::make_unique_for_overwrite<char[]>(kChunkSize));
    next_ = chunks_.back().get();
    left_ = kChunkSize;
  }
  char* copy = next_;
  std::memcpy(copy, text.data(), text.size());
  next_ += text.size();
  left_ -= text.size();
  return {copy, text.size()};
}

}  // namespace VEXA::Toolchain
