// Node arena blocks and the pool that keeps a few of them between parses.
#include "syntax/node_arena.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace VEXA::Syntax {

namespace {

// One huge page: on systems that back it with one, a block costs one page fault instead of 512.
constexpr size_t kBlockSize = size_t{2} << 20;
// GCC announces AddressSanitizer with a macro, clang through __has_feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEXA_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(VEXA_ADDRESS_SANITIZER)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
// What the pool keeps at most: enough for the nodes of a large source, little enough not to
// matter in the host's process.
constexpr size_t kPoolBlocks = 32;

struct Pool {
  std::mutex mutex;
  std::vector<char*> blocks;
};

Pool& pool() {
  // Never destroyed: parses on pool threads may still return blocks while the process exits.
  static Pool* instance = new Pool();
  return *instance;
}

// A fresh block, aligned to its size so that the kernel can back it with one huge page.
char* newBlock() {
#if defined(__linux__)
  void* mapped =
      mmap(nullptr, 2 * kBlockSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = (start + kBlockSize - 1) & ~(uintptr_t{kBlockSize} - 1);
  if (aligned > start) munmap(mapped, aligned - start);
  const uintptr_t tail = aligned + kBlockSize;
  const uintptr_t end = start + 2 * kBlockSize;
  if (end > tail) munmap(reinterpret_cast<void*>(tail), end - tail);
  void* block = reinterpret_cast<void*>(aligned);
  madvise(block, kBlockSize, MADV_HUGEPAGE);
  return static_cast<char*>(block);
#else
  return static_cast<char*>(std::malloc(kBlockSize));
#endif
}

void freeBlock(char* block) {
#if defined(__linux__)
  munmap(block, kBlockSize);
#else
  std::free(block);
#endif
}

char* takeBlock() {
  {
    Pool& shared = pool();
    std::lock_guard lock(shared.mutex);
    if (!shared.blocks.empty()) {
      char* block = shared.blocks.back();
      shared.blocks.pop_back();
      return block;
    }
  }
  return newBlock();
}

void giveBlock(char* block) {
  Pool& shared = pool();
  {
    std::lock_guard lock(shared.mutex);
    if (shared.blocks.size() < kPoolBlocks) {
      shared.blocks.push_back(block);
      return;
    }
  }
  freeBlock(block);
}

}  // namespace

NodeArena::~NodeArena() {
  for (const Block& block : blocks_) {
    if (block.pooled) {
      giveBlock(block.data);
    } else {
      std::free(block.data);
    }
  }
}

void* NodeArena::allocateInNewBlock(size_t size, size_t alignment) {
  auto aligned = [&](char* at) {
    const auto address = reinterpret_cast<uintptr_t>(at);
    return reinterpret_cast<char*>((address + alignment - 1) & ~(uintptr_t{alignment} - 1));
  };
  // Anything that would fill a good part of a block gets a block of its own; so does everything
  // under AddressSanitizer, which can then still see a node written past its end.
  if (kSanitized || size + alignment > kBlockSize / 4) {
    char* data = static_cast<char*>(std::malloc(size + alignment));
    if (data == nullptr) std::abort();
    blocks_.push_back({data, false});
    return aligned(data);
  }
  char* data = takeBlock();
  if (data == nullptr) std::abort();
  blocks_.push_back({data, true});
  char* start = aligned(data);
  next_ = start + size;
  end_ = data + kBlockSize;
  return start;
}

}  // namespace VEXA::Syntax
