// The memory that one parse's nodes live in. Nodes are many, small, built on one thread and all
// released together when the result has been converted, so they are carved out of large blocks
// and never freed one by one. Blocks go back to a small process-wide pool when the arena dies,
// so the next parse reuses pages that are already mapped instead of faulting in fresh ones.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace VEXA::Syntax {

class NodeArena {
 public:
  NodeArena() = default;
  ~NodeArena();
  NodeArena(const NodeArena&) = delete;
  NodeArena& operator=(const NodeArena&) = delete;

  void* allocate(size_t size, size_t alignment);

  // Something the nodes point into without owning it (the source, the source name and the other
  // texts their tokens view): it lives as long as the arena.
  void keep(std::shared_ptr<const void> anchor) { anchors_.push_back(std::move(anchor)); }

 private:
  struct Block {
    char* data;
    bool pooled;  // a standard block of the pool, else a malloc'd one of its own
  };

  char* next_ = nullptr;
  char* end_ = nullptr;
  std::vector<Block> blocks_;
  std::vector<std::shared_ptr<const void>> anchors_;
};

// Hands arena memory to allocate_shared; deallocation is left to the arena's end. Every node's
// control block keeps a copy of its allocator, and with it a share of the arena, so the arena
// lives exactly as long as the last node carved from it, whoever holds that node.
template <typename T>
struct ArenaAllocator {
  using value_type = T;

  explicit ArenaAllocator(std::shared_ptr<NodeArena> arena) : arena(std::move(arena)) {}
  template <typename U>
  ArenaAllocator(const ArenaAllocator<U>& other) : arena(other.arena) {}

  T* allocate(size_t count) {
    return static_cast<T*>(arena->allocate(count * sizeof(T), alignof(T)));
  }
  void deallocate(T*, size_t) {}

  template <typename U>
  bool operator==(const ArenaAllocator<U>& other) const {
    return arena == other.arena;
  }

  std::shared_ptr<NodeArena> arena;
};

}  // namespace VEXA::Syntax
