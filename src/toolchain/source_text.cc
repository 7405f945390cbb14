// Source copies: small ones in a string, large ones in their own huge-page mapping.
#include "toolchain/source_text.h"

#include "toolchain/huge_pages.h"
#include "toolchain/planned_failure.h"

#include <cstring>
#include <new>

namespace VEXA::Toolchain {

std::unique_ptr<SourceText> SourceText::allocate(size_t size) {
  std::unique_ptr<SourceText> text(new (std::nothrow) SourceText());
  if (!text) return nullptr;
  if (size > kAtOnce) {
    // A failed mapping of this size is no memory at all: a string of it would abort, not fail.
    if (PlannedFailure::plan().source) return nullptr;
    text->mapping_ = HugePages::map(size);
    if (text->mapping_ == nullptr) return nullptr;
    text->data_ = static_cast<const char*>(text->mapping_);
    text->size_ = size;
    return text;
  }
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
  if (mapping_ != nullptr) HugePages::unmap(mapping_, size_);
}

}  // namespace VEXA::Toolchain
