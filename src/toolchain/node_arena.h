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

 private:
  struct Block {
    char* data;
    bool pooled;  // a standard block of the pool, else a malloc'd one of its own
  };

  char* next_ = nullptr;
  char* end_ = nullptr;
  std::vector<Block> blocks_;
};

// Hands arena memory to allocate_shared; deallocation is left to the arena's end.
template <typename T>
struct ArenaAllocator {
  using value_type = T;

  explicit ArenaAllocator(NodeArena& arena) : arena(&arena) {}
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

  NodeArena* arena;
};

}  // namespace VEXA::Syntax
