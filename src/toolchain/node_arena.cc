// Node arena blocks and the pool that keeps a few of them between parses.
#include "toolchain/node_arena.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

namespace VEXA::Syntax {

namespace {

constexpr size_t kBlockSize = size_t{1} << 20;
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
// What the pool keeps at most: enough for the nodes of a large source, little enough not to
// matter in the host's process.
constexpr size_t kPoolBlocks = 64;

struct Pool {
  std::mutex mutex;
  std::vector<char*> blocks;
};

Pool& pool() {
  // Never destroyed: parses on pool threads may still return blocks while the process exits.
  static Pool* instance = new Pool();
  return *instance;
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
  return static_cast<char*>(std::malloc(kBlockSize));
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
  std::free(block);
}

}  // namespace

NodeArena::~NodeArena() {
  for (const Block& block : blocks_) {
    if (block.size == kBlockSize) {
      giveBlock(block.data);
    } else {
      std::free(block.data);
    }
  }
}

void* NodeArena::allocate(size_t size, size_t alignment) {
  auto aligned = [&](char* at) {
    const auto address = reinterpret_cast<uintptr_t>(at);
    return reinterpret_cast<char*>((address + alignment - 1) & ~(uintptr_t{alignment} - 1));
  };
  if (next_ != nullptr) {
    char* start = aligned(next_);
    if (start <= end_ && size <= static_cast<size_t>(end_ - start)) {
      next_ = start + size;
      return start;
    }
  }
  // Anything that would fill a good part of a block gets a block of its own; so does everything
  // under AddressSanitizer, which can then still see a node written past its end.
  if (kSanitized || size + alignment > kBlockSize / 4) {
    char* data = static_cast<char*>(std::malloc(size + alignment));
    if (data == nullptr) std::abort();
    blocks_.push_back({data, size + alignment});
    return aligned(data);
  }
  char* data = takeBlock();
  if (data == nullptr) std::abort();
  blocks_.push_back({data, kBlockSize});
  char* start = aligned(data);
  next_ = start + size;
  end_ = data + kBlockSize;
  return start;
}

}  // namespace VEXA::Syntax
