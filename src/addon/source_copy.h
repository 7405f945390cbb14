// The copy of a large source, a slice per turn of the event loop: copying tens of megabytes at
// once would hold the JavaScript thread as long as a large conversion did. The memory is taken
// and touched on a pool thread first, so that each slice only copies; the caller's buffer is
// held by a reference, and its data and length are read again for every slice, so that a buffer
// detached, transferred or resized meanwhile rejects the promise instead of being read.
#pragma once

#include "toolchain/context.h"
#include "toolchain/source_text.h"

#include <node_api.h>

#include <chrono>
#include <cstddef>
#include <memory>

namespace VEXA::Addon::Parse {

class SourceCopy {
 public:
  // The bytes of a typed array or DataView as they are now; false for any other value, and for a
  // typed array of a kind this code does not know the element width of.
  static bool View(napi_env env, napi_value buffer, const char** data, size_t* size);

  // Copies `buffer` (`size` bytes when the call was made) over the next turns, then queues the
  // parse, which settles `deferred`; or rejects `deferred`. False (an exception pending) when the
  // copy could not be set up; `deferred` is then the caller's to settle.
  static bool Start(napi_env env, napi_value buffer, size_t size, napi_deferred deferred,
                    std::shared_ptr<Toolchain::Context> context);

 private:
  using Clock = std::chrono::steady_clock;

  SourceCopy(napi_env env, size_t size, napi_deferred deferred,
             std::shared_ptr<Toolchain::Context> context);
  ~SourceCopy();
  SourceCopy(const SourceCopy&) = delete;
  SourceCopy& operator=(const SourceCopy&) = delete;

  bool queue(napi_async_execute_callback execute);
  static void Allocate(napi_env env, void* data);
  static void Idle(napi_env env, void* data);
  static void Resume(napi_env env, napi_status status, void* data);
  // Copies until the slice's time is up; then hops, or hands the bytes to the parse.
  void slice();
  void reject(const char* message);

  napi_env env_;
  size_t size_;
  size_t copied_ = 0;
  napi_deferred deferred_;
  std::shared_ptr<Toolchain::Context> context_;
  napi_ref buffer_ = nullptr;
  napi_async_work work_ = nullptr;
  std::unique_ptr<Toolchain::SourceText> text_;
};

}  // namespace VEXA::Addon::Parse
