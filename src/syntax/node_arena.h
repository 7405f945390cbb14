// The memory that one parse's nodes live in. Nodes are many, small, built on one thread and all
// released together when the result has been converted, so they are carved out of large blocks
// and never freed one by one. Blocks go back to a small process-wide pool when the arena dies,
// so the next parse reuses pages that are already mapped instead of faulting in fresh ones.
// The arena counts its own shares: one per node, taken when the node's memory is carved and
// given back when it is released, and one for the parser that builds them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace VEXA::Syntax {

class NodeArena {
 public:
  // A new arena with one share, the caller's.
  static NodeArena* create() { return new NodeArena(); }
  NodeArena(const NodeArena&) = delete;
  NodeArena& operator=(const NodeArena&) = delete;

  // Shares may be taken and given back on any thread; the last one given back frees the arena.
  void retain() { shares_.fetch_add(1, std::memory_order_relaxed); }
  void release() {
    if (shares_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }

  // Inline: once per node. Only a full block takes the call.
  void* allocate(size_t size, size_t alignment) {
    if (next_ != nullptr) {
      const auto address = reinterpret_cast<uintptr_t>(next_);
      char* start =
          reinterpret_cast<char*>((address + alignment - 1) & ~(uintptr_t{alignment} - 1));
      if (start <= end_ && size <= static_cast<size_t>(end_ - start)) {
        next_ = start + size;
        return start;
      }
    }
    return allocateInNewBlock(size, alignment);
  }

  // Called by the thread that builds the nodes, between statements: when no node is alive any more
  // (the caller's share is the only one left), the arena's blocks are handed out again from the
  // first, so that a parse that passes each statement on and drops it keeps reusing the same few
  // blocks, warm in the cache, instead of touching fresh memory for every node.
  void recycle();

  // True once memory could not be had: the nodes made since then live in a small shared reserve,
  // and the parse must stop reading and give up its result.
  bool exhausted() const { return exhausted_; }

  // Something the nodes point into without owning it (the source, the source name and the other
  // texts their tokens view): it lives as long as the arena.
  void keep(std::shared_ptr<const void> anchor) { anchors_.push_back(std::move(anchor)); }

 private:
  NodeArena() = default;
  ~NodeArena();

  // A block of its own, or a fresh standard block that the allocation starts; or, when no memory
  // can be had, the reserve.
  void* allocateInNewBlock(size_t size, size_t alignment);
  void enterReserve();
  static void* allocateInReserve(size_t size, size_t alignment);

  struct Block {
    char* data;
    bool pooled;  // a standard block of the pool, else a malloc'd one of its own
  };

  char* next_ = nullptr;
  char* end_ = nullptr;
  std::vector<Block> blocks_;
  // The next of blocks_ to carve from when the one in use is full: blocks_ past it were carved
  // before the last recycle and are free again.
  size_t reuse_ = 0;
  std::vector<std::shared_ptr<const void>> anchors_;
  std::atomic<size_t> shares_{1};
  // Fresh allocations made so far, counted for the test-only failure plan.
  size_t fresh_ = 0;
  bool exhausted_ = false;
};

// Gives back the holder's share when it goes.
struct ArenaRelease {
  void operator()(NodeArena* arena) const { arena->release(); }
};
using ArenaShare = std::unique_ptr<NodeArena, ArenaRelease>;

// Hands arena memory to allocate_shared; the memory itself goes with the arena. allocate_shared
// allocates each node's control block once and deallocates it once, when the last reference to
// the node goes: a share of the arena is taken there and given back there, so the arena lives
// exactly as long as the last node carved from it, whoever holds that node. Copies of the
// allocator (allocate_shared makes several) are plain pointers and cost nothing.
template <typename T>
struct ArenaAllocator {
  using value_type = T;

  explicit ArenaAllocator(NodeArena* arena) : arena(arena) {}
  template <typename U>
  ArenaAllocator(const ArenaAllocator<U>& other) : arena(other.arena) {}

  T* allocate(size_t count) {
    arena->retain();
    return static_cast<T*>(arena->allocate(count * sizeof(T), alignof(T)));
  }
  // May free the arena, and with it the memory given back: nothing touches that memory after.
  void deallocate(T*, size_t) { arena->release(); }

  template <typename U>
  bool operator==(const ArenaAllocator<U>& other) const {
    return arena == other.arena;
  }

  NodeArena* arena;
};

}  // namespace VEXA::Syntax
