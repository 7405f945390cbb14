// Source copies: small ones in a string, large ones in their own mapping.
#include "toolchain/source_text.h"

#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace VEXA::Toolchain {

namespace {

// Sources of this size or more get a mapping of their own, aligned to and rounded up to whole
// huge pages; smaller ones are not worth a system call.
constexpr size_t kMappedFrom = size_t{1} << 20;
constexpr size_t kHugePage = size_t{2} << 20;

}  // namespace

std::unique_ptr<SourceText> SourceText::allocate(size_t size) {
  std::unique_ptr<SourceText> text(new (std::nothrow) SourceText());
  if (!text) return nullptr;
#if defined(__linux__)
  if (size >= kMappedFrom) {
    const size_t length = (size + kHugePage - 1) / kHugePage * kHugePage;
    // One huge page more than needed, so that the bytes can start on a huge-page boundary.
    void* mapped = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    // A failed mapping of this size is no memory at all: a string of it would abort, not fail.
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<uintptr_t>(mapped);
    const uintptr_t aligned = (start + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
    if (aligned > start) munmap(mapped, aligned - start);
    const uintptr_t tail = aligned + length;
    const uintptr_t end = start + length + kHugePage;
    if (end > tail) munmap(reinterpret_cast<void*>(tail), end - tail);
    text->mapping_ = reinterpret_cast<void*>(aligned);
    text->mapped_ = length;
    madvise(text->mapping_, length, MADV_HUGEPAGE);
    text->data_ = static_cast<const char*>(text->mapping_);
    text->size_ = size;
    return text;
  }
#endif
  text->string_.resize(size);
  text->data_ = text->string_.data();
  text->size_ = size;
  return text;
}

std::shared_ptr<const SourceText> SourceText::copy(const char* data, size_t size) {
  std::unique_ptr<SourceText> text = allocate(size);
  if (!text) return nullptr;
  if (size > 0) std::memcpy(text->fill(), data, size);
  return text;
}

std::shared_ptr<const SourceText> SourceText::take(std::string bytes) {
  std::shared_ptr<SourceText> text(new (std::nothrow) SourceText());
  if (!text) return nullptr;
  text->string_ = std::move(bytes);
  text->data_ = text->string_.data();
  text->size_ = text->string_.size();
  return text;
}

SourceText::~SourceText() {
#if defined(__linux__)
  if (mapping_ != nullptr) munmap(mapping_, mapped_);
#endif
}

}  // namespace VEXA::Toolchain
