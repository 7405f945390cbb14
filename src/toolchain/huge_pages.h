// Anonymous memory in whole huge pages, starting on a huge-page boundary, so that the kernel may
// back each 2 MiB with one page: first touching fresh memory then costs one page fault per huge
// page instead of one per 4 KiB, which for large sources and node blocks costs more than the
// copying or building done in that memory.
#pragma once

#include <cstddef>

namespace VEXA::Toolchain::HugePages {

constexpr size_t kSize = size_t{2} << 20;

// `length` rounded up to whole huge pages.
constexpr size_t roundUp(size_t length) {
  return (length + kSize - 1) / kSize * kSize;
}

// roundUp(length) bytes aligned to a huge page; null when the system has none.
void* map(size_t length);
// Gives back memory that `map` returned for the same `length`.
void unmap(void* memory, size_t length);
// Lets the kernel take back the pages of mapped memory when it needs them, while the range stays
// mapped: the bytes are undefined afterwards, and memory not taken back costs nothing to reuse.
void release(void* memory, size_t length);

}  // namespace VEXA::Toolchain::HugePages
