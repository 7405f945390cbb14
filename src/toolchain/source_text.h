// The bytes of one source, copied once from the caller and read in place by the lexer. A large
// source is copied into memory that the kernel may back with huge pages (toolchain/huge_pages.h):
// first touching fresh memory page by page can cost far more than copying the bytes, so that
// memory is taken and touched away from the caller's thread, and only the copy is made there.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace VEXA::Toolchain {

class SourceText {
 public:
  // Sources up to this size are copied within the call to `parse`, into ordinary heap memory;
  // larger ones get a huge-page mapping of their own and are copied over several turns. One
  // number for both, so that no source is copied at once into fresh mapped memory.
  static constexpr size_t kAtOnce = size_t{1} << 20;

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
  // Either the mapping or the string holds the bytes.
  void* mapping_ = nullptr;
  std::string string_;
};

}  // namespace VEXA::Toolchain
