// The copy of a large source, a slice per turn of the event loop (addon/later.h): copying tens of
// megabytes at once would hold the JavaScript thread as long as a large conversion did. The
// memory is mapped at the call, untouched, and filled slice by slice on the JavaScript thread;
// nothing of the copy waits for the thread pool, which unrelated jobs may hold for any time. The
// caller's buffer is held by a reference, and its data and length are read again for every slice,
// so that a buffer detached, transferred or resized meanwhile rejects the promise instead of
// being read.
#pragma once

#include "addon/later.h"
#include "addon/parse_worker.h"
#include "toolchain/context.h"
#include "toolchain/source_text.h"

#include <node_api.h>

#include <chrono>
#include <cstddef>
#include <memory>

namespace VEXA::Addon::Parse {

class SourceCopy final : public Sliced {
 public:
  // The bytes of a typed array or DataView as they are now; false for any other value, and for a
  // typed array of a kind this code does not know the element width of.
  static bool View(napi_env env, napi_value buffer, const char** data, size_t* size);

  // Copies `buffer` (`size` bytes when the call was made) over the next turns and hands the
  // bytes to the parse job waiting for them; or rejects `deferred` and abandons the handoff. False
  // (an exception pending) when the copy could not be set up; `deferred` is then the caller's to
  // settle.
  static bool Start(napi_env env, napi_value buffer, size_t size, napi_deferred deferred,
                    std::shared_ptr<Handoff> handoff);

 private:
  using Clock = std::chrono::steady_clock;

  SourceCopy(napi_env env, size_t size, napi_deferred deferred, std::shared_ptr<Handoff> handoff);
  ~SourceCopy() override;

  // Copies until the slice's budget is spent; then hops, or hands the bytes to the parse.
  void slice() override;
  void reject(const char* message);

  size_t size_;
  size_t copied_ = 0;
  napi_deferred deferred_;
  std::shared_ptr<Handoff> handoff_;
  napi_ref buffer_ = nullptr;
  std::unique_ptr<Toolchain::SourceText> text_;
};

}  // namespace VEXA::Addon::Parse
