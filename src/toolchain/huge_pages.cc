// Huge-page mappings: mmap with room to align, on Linux; aligned heap memory elsewhere.
#include "toolchain/huge_pages.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace VEXA::Toolchain::HugePages {

void* map(size_t length) {
  const size_t size = roundUp(length);
  if (size < length) return nullptr;
#if defined(__linux__)
  // One huge page more than needed, so that the memory can start on a huge-page boundary; the
  // parts before and after it are unmapped again.
  if (size + kSize < size) return nullptr;
  void* mapped =
      mmap(nullptr, size + kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = (start + kSize - 1) & ~(uintptr_t{kSize} - 1);
  if (aligned > start) munmap(mapped, aligned - start);
  const uintptr_t tail = aligned + size;
  const uintptr_t end = start + size + kSize;
  if (end > tail) munmap(reinterpret_cast<void*>(tail), end - tail);
  void* memory = reinterpret_cast<void*>(aligned);
  madvise(memory, size, MADV_HUGEPAGE);
  return memory;
#else
  return std::aligned_alloc(kSize, size);
#endif
}

void unmap(void* memory, size_t length) {
#if defined(__linux__)
  munmap(memory, roundUp(length));
#else
  (void)length;
  std::free(memory);
#endif
}

void release(void* memory, size_t length) {
#if defined(__linux__)
#if defined(MADV_FREE)
  // Taken back only under memory pressure: reused before that, the pages cost no fault at all.
  if (madvise(memory, roundUp(length), MADV_FREE) == 0) return;
#endif
  // Kernels without MADV_FREE: the pages go at once, and fault in as zeros when reused.
  madvise(memory, roundUp(length), MADV_DONTNEED);
#else
  (void)memory;
  (void)length;
#endif
}

}  // namespace VEXA::Toolchain::HugePages
