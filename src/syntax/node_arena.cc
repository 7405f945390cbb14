// Node arena blocks, the pool that keeps a few of them between parses, and the reserve that a
// parse finishes in when no more memory can be had.
#include "syntax/node_arena.h"

#include "toolchain/huge_pages.h"
#include "toolchain/planned_failure.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>

namespace VEXA::Syntax {

namespace {

// One huge page: on systems that back it with one, a block costs one page fault instead of 512.
constexpr size_t kBlockSize = Toolchain::HugePages::kSize;
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
// What the pool keeps at most: enough for the nodes of a large source. Its blocks stay mapped but
// are handed back to the kernel's care (HugePages::release), so that an idle host holds little
// memory for them that the system could use.
constexpr size_t kPoolBlocks = 32;
// Blocks the pool keeps without handing them back, taken first: enough for the nodes of a source
// of about 200 KiB. Handing a block back costs a system call that flushes the other cores' address
// translations, and the next parse touches it again; for small parses one after the other (an
// editor's) that is a good part of their time.
constexpr size_t kWarmBlocks = 2;

struct Pool {
  std::mutex mutex;
  // Handed back to the kernel's care.
  std::vector<char*> blocks;
  // Not handed back: at most kWarmBlocks.
  std::vector<char*> warm;
};

Pool& pool() {
  // Never destroyed: parses on pool threads may still return blocks while the process exits.
  static Pool* instance = new Pool();
  return *instance;
}

char* newBlock() {
  return static_cast<char*>(Toolchain::HugePages::map(kBlockSize));
}

void freeBlock(char* block) {
  Toolchain::HugePages::unmap(block, kBlockSize);
}

char* takeBlock() {
  {
    Pool& shared = pool();
    std::lock_guard lock(shared.mutex);
    if (!shared.warm.empty()) {
      char* block = shared.warm.back();
      shared.warm.pop_back();
      return block;
    }
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
    if (shared.warm.size() < kWarmBlocks) {
      shared.warm.push_back(block);
      return;
    }
  }
  Toolchain::HugePages::release(block, kBlockSize);
  {
    std::lock_guard lock(shared.mutex);
    if (shared.blocks.size() < kPoolBlocks) {
      shared.blocks.push_back(block);
      return;
    }
  }
  freeBlock(block);
}

// The memory that parses whose node memory could not grow finish their last statement in. That
// parse reads no further (Parser::advance), so what it still builds is bounded by the nesting
// depth: a few hundred small nodes. Shared by all parses; emptied when none uses it any more. In
// static storage, it costs no memory until a parse needs it.
constexpr size_t kReserveSize = size_t{1} << 20;
alignas(64) char reserveBytes[kReserveSize];

struct Reserve {
  std::mutex mutex;
  size_t used = 0;
  size_t users = 0;
};

Reserve& reserve() {
  // Never destroyed, like the pool.
  static Reserve* instance = new Reserve();
  return *instance;
}

}  // namespace

void NodeArena::enterReserve() {
  exhausted_ = true;
  Reserve& shared = reserve();
  std::lock_guard lock(shared.mutex);
  ++shared.users;
}

void* NodeArena::allocateInReserve(size_t size, size_t alignment) {
  Reserve& shared = reserve();
  std::lock_guard lock(shared.mutex);
  const auto base = reinterpret_cast<uintptr_t>(reserveBytes);
  const uintptr_t start = (base + shared.used + alignment - 1) & ~(uintptr_t{alignment} - 1);
  const size_t offset = start - base;
  // Beyond the reserve there is nothing left to finish the parse with.
  if (offset > kReserveSize || size > kReserveSize - offset) std::abort();
  shared.used = offset + size;
  return reserveBytes + offset;
}

NodeArena::~NodeArena() {
  if (exhausted_) {
    Reserve& shared = reserve();
    std::lock_guard lock(shared.mutex);
    if (--shared.users == 0) shared.used = 0;
  }
  for (const Block& block : blocks_) {
    if (block.pooled) {
      giveBlock(block.data);
    } else {
      std::free(block.data);
    }
  }
}

void NodeArena::recycle() {
  if (shares_.load(std::memory_order_acquire) != 1 || exhausted_ || blocks_.empty()) return;
  // Blocks of a single allocation go; the standard ones stay, to be carved again in order.
  size_t kept = 0;
  for (const Block& block : blocks_) {
    if (block.pooled) {
      blocks_[kept++] = block;
    } else {
      std::free(block.data);
    }
  }
  blocks_.resize(kept);
  if (blocks_.empty()) {
    reuse_ = 0;
    next_ = nullptr;
    end_ = nullptr;
    return;
  }
  // Blocks start on a huge-page boundary: aligned for any node.
  reuse_ = 1;
  next_ = blocks_[0].data;
  end_ = next_ + kBlockSize;
}

void* NodeArena::allocateInNewBlock(size_t size, size_t alignment) {
  if (!exhausted_) {
    const Toolchain::PlannedFailure::Plan plan = Toolchain::PlannedFailure::plan();
    if (plan.nodes && fresh_ >= plan.nodesAfter) enterReserve();
    ++fresh_;
  }
  auto aligned = [&](char* at) {
    const auto address = reinterpret_cast<uintptr_t>(at);
    return reinterpret_cast<char*>((address + alignment - 1) & ~(uintptr_t{alignment} - 1));
  };
  // Anything that would fill a good part of a block gets a block of its own; so does everything
  // under AddressSanitizer, which can then still see a node written past its end.
  if (!exhausted_ && (kSanitized || size + alignment > kBlockSize / 4)) {
    char* data = static_cast<char*>(std::malloc(size + alignment));
    if (data != nullptr) {
      blocks_.push_back({data, false});
      return aligned(data);
    }
    enterReserve();
  }
  // Blocks of a single allocation made since the last recycle hold live nodes: never carved.
  while (reuse_ < blocks_.size() && !blocks_[reuse_].pooled) ++reuse_;
  if (!exhausted_ && reuse_ < blocks_.size()) {
    // A block carved before the last recycle: free again, and already in memory.
    char* data = blocks_[reuse_++].data;
    char* start = aligned(data);
    next_ = start + size;
    end_ = data + kBlockSize;
    return start;
  }
  char* data = exhausted_ ? nullptr : takeBlock();
  if (data == nullptr) {
    if (!exhausted_) enterReserve();
    // Every later allocation comes here too, past the inline path, and from the reserve.
    next_ = nullptr;
    end_ = nullptr;
    return allocateInReserve(size, alignment);
  }
  blocks_.push_back({data, true});
  reuse_ = blocks_.size();
  char* start = aligned(data);
  next_ = start + size;
  end_ = data + kBlockSize;
  return start;
}

}  // namespace VEXA::Syntax
