// Freeing large native memory on a pool thread: returning hundreds of megabytes to the system
// takes long enough to be felt as a stall on the JavaScript thread. Small garbage is freed where it
// is dropped: a pool job (a wake-up of a pool thread, then a completion on the event loop) costs
// more than freeing a few megabytes, and would add to the latency of every small parse.
#pragma once

#include <node_api.h>

#include <cstddef>
#include <utility>

namespace VEXA::Addon {

// Garbage of up to this many bytes is freed at once: the nodes of sources up to 32 KiB and the
// encodings of sources up to about 100 KiB (larger ones hold a destructor call per node or an
// unmapping that cost more than the pool job).
constexpr size_t kFreeHereBytes = size_t{512} << 10;

// Destroys `garbage`, which holds about `bytes` bytes, on a pool thread; here when it is small or
// when no work item can be had.
template <class Garbage>
void ReleaseOnPool(napi_env env, Garbage garbage, size_t bytes) {
  if (bytes <= kFreeHereBytes) return;
  struct Item {
    Garbage garbage;
    napi_async_work work = nullptr;
  };
  auto* item = new Item{std::move(garbage)};
  const auto execute = [](napi_env, void* data) {
    // Moved out and dropped here, so that the destructors run on the pool thread.
    Garbage dropped = std::move(static_cast<Item*>(data)->garbage);
  };
  const auto complete = [](napi_env env, napi_status, void* data) {
    auto* self = static_cast<Item*>(data);
    napi_delete_async_work(env, self->work);
    delete self;
  };
  napi_value name = nullptr;
  if (napi_create_string_latin1(env, "Addon::Parse::Release", NAPI_AUTO_LENGTH, &name) != napi_ok ||
      napi_create_async_work(env, nullptr, name, execute, complete, item, &item->work) != napi_ok) {
    delete item;
    return;
  }
  if (napi_queue_async_work(env, item->work) != napi_ok) {
    napi_delete_async_work(env, item->work);
    delete item;
  }
}

}  // namespace VEXA::Addon
