// The bytes of one source, copied once from the caller and read in place by the lexer. A large
// source is copied into memory that the kernel may back with huge pages: first touching fresh
// memory page by page can cost far more than copying the bytes, and the copy is made on the
// caller's thread, which it holds for that long.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace VEXA::Toolchain {

class SourceText {
 public:
  // A copy of `size` bytes from `data`; null where no memory could be had.
  static std::shared_ptr<const SourceText> copy(const char* data, size_t size);
  // Room for `size` bytes, written through `fill()` before the text is shared; null where no
  // memory could be had (a source copied over several turns cannot use `copy`).
  static std::unique_ptr<SourceText> allocate(size_t size);
  // Takes over the string's bytes as they are.
  static std::shared_ptr<const SourceText> take(std::string bytes);

  ~SourceText();
  SourceText(const SourceText&) = delete;
  SourceText& operator=(const SourceText&) = delete;

  std::string_view bytes() const { return {data_, size_}; }
  // The bytes to write, while the text is the allocator's alone.
  char* fill() { return const_cast<char*>(data_); }

 private:
  SourceText() = default;

  const char* data_ = "";
  size_t size_ = 0;
  // Either the mapping (its length) or the string holds the bytes.
  void* mapping_ = nullptr;
  size_t mapped_ = 0;
  std::string string_;
};

}  // namespace VEXA::Toolchain
