// The process's parse slots.
#include "addon/parse_slots.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#if defined(__linux__)
#include <sched.h>
#endif

namespace VEXA::Addon::Parse {

namespace {

struct Slots {
  std::mutex mutex;
  std::condition_variable freed;
  size_t count = 0;
  size_t running = 0;
  size_t most = 0;
};

Slots& slots() {
  // Never destroyed: pool threads may still give slots back while the process exits.
  static Slots* instance = new Slots();
  return *instance;
}

// The cores this process may run on: those of its affinity mask where the system tells.
size_t cores() {
#if defined(__linux__)
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return static_cast<size_t>(CPU_COUNT(&set));
#endif
  return std::thread::hardware_concurrency();
}

size_t total(const Slots& shared) {
  if (shared.count != 0) return shared.count;
  static const size_t available = cores();
  return available > 2 ? available - 1 : 1;
}

}  // namespace

bool ParseSlots::Acquire(Watch& watch) {
  Slots& shared = slots();
  std::unique_lock<std::mutex> lock(shared.mutex);
  while (shared.running >= total(shared)) {
    // A job of an environment that goes away stops waiting within milliseconds.
    shared.freed.wait_for(lock, std::chrono::milliseconds(5));
    if (shared.running < total(shared)) break;
    lock.unlock();
    const bool gone = watch.gone();
    lock.lock();
    if (gone) return false;
  }
  ++shared.running;
  shared.most = std::max(shared.most, shared.running);
  return true;
}

void ParseSlots::Release() {
  Slots& shared = slots();
  {
    std::lock_guard<std::mutex> lock(shared.mutex);
    --shared.running;
  }
  shared.freed.notify_one();
}

void ParseSlots::SetCount(size_t count) {
  Slots& shared = slots();
  {
    std::lock_guard<std::mutex> lock(shared.mutex);
    shared.count = count;
  }
  shared.freed.notify_all();
}

size_t ParseSlots::TakeMost() {
  Slots& shared = slots();
  std::lock_guard<std::mutex> lock(shared.mutex);
  return std::exchange(shared.most, shared.running);
}

}  // namespace VEXA::Addon::Parse
