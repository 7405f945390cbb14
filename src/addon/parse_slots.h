// How many parses of the process run at once. A parse keeps one core busy, and its decoding needs
// the JavaScript thread: with more parses running than cores beside that thread (a host that
// starts many at once, as an editor or a build of many files does), they take turns on the cores
// with the decoding, and every result comes later. So at most one parse per core but one runs;
// the others wait on their pool threads, where they would have queued for a core anyway.
#pragma once

#include "addon/watch.h"

#include <cstddef>
#include <cstdint>

namespace VEXA::Addon::Parse {

class ParseSlots {
 public:
  // On a parse job's thread: waits for a slot; false, without one, when the job's environment goes
  // away meanwhile.
  static bool Acquire(Watch& watch);
  static void Release();

  // Slots in all: `count`, or one per core but one (at least one) when 0. Tests set it.
  static void SetCount(size_t count);
  // The most parses that ran at once since the last call.
  static size_t TakeMost();
};

// Holds a slot for as long as it lives.
class ParseSlot {
 public:
  explicit ParseSlot(Watch& watch) : held_(ParseSlots::Acquire(watch)) {}
  ~ParseSlot() {
    if (held_) ParseSlots::Release();
  }
  ParseSlot(const ParseSlot&) = delete;
  ParseSlot& operator=(const ParseSlot&) = delete;
  bool held() const { return held_; }

 private:
  bool held_;
};

}  // namespace VEXA::Addon::Parse
