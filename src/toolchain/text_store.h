// Texts of one parse that are no slice of the source: numbers written with blanks after their
// sign, joined argument runs, made-up values. Tokens and nodes view them as they view the source,
// so they are copied here once and stay put until the store dies with the parse's last node.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace VEXA::Toolchain {

class TextStore {
 public:
  TextStore() = default;
  TextStore(const TextStore&) = delete;
  TextStore& operator=(const TextStore&) = delete;

  // A copy of the text that lives as long as the store; its bytes never move.
  std::string_view keep(std::string_view text);

 private:
  // Such texts are few and short: small chunks, and one of its own for a long text.
  static constexpr size_t kChunkSize = 4096;

  std::vector<std::unique_ptr<char[]>> chunks_;
  char* next_ = nullptr;
  size_t left_ = 0;
};

}  // namespace VEXA::Toolchain
