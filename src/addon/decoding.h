// The decoding of an encoded parse result into JavaScript objects, a slice at a time, by the
// JavaScript decoder (lib/decode.js) and the layout decoders (addon/decoders.h): the JavaScript
// thread is never held much longer than one slice, however large the result, and other callbacks
// (timers, I/O) run between slices.
#pragma once

#include "syntax/compact_writer.h"

#include <node_api.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace VEXA::Addon::Parse {

class Decoding {
 public:
  // Decodes `encoded` and settles `deferred` with {optimize, nodes, diagnostics}, or with the
  // error that stopped the decoding. Owns itself from here on: it lives until the promise is
  // settled, across as many turns of the event loop as the result needs.
  static void Start(napi_env env, napi_deferred deferred,
                    std::unique_ptr<Syntax::CompactWriter> encoded, uint32_t optimize,
                    uint32_t nodes, uint32_t diagnostics);

 private:
  Decoding(napi_env env, napi_deferred deferred, std::unique_ptr<Syntax::CompactWriter> encoded);
  ~Decoding();
  Decoding(const Decoding&) = delete;
  Decoding& operator=(const Decoding&) = delete;

  // Hands the encoding to the JavaScript decoder; false once a host call has failed.
  bool begin(uint32_t optimize, uint32_t nodes, uint32_t diagnostics);
  // Runs one slice of the JavaScript decoder, then hops to the next turn or settles.
  void slice();
  // A view of `bytes` bytes at `data` that the JavaScript decoder reads while this lives.
  napi_value buffer(void* data, size_t bytes);
  // Queues the next slice for a later turn of the event loop.
  bool hop();
  static void Idle(napi_env env, void* data);
  static void Resume(napi_env env, napi_status status, void* data);
  // Resolves with `result`, or rejects with `error` (a generic error when null); then detaches
  // the views of this object's memory and deletes it.
  void settle(napi_value result, napi_value error);

  napi_env env_;
  napi_deferred deferred_;
  std::unique_ptr<Syntax::CompactWriter> encoded_;
  std::vector<int32_t> texts_;
  napi_ref state_ = nullptr;
  napi_ref step_ = nullptr;
  // The array buffers over this object's memory: detached before it is freed.
  std::vector<napi_ref> views_;
  napi_async_work work_ = nullptr;
};

}  // namespace VEXA::Addon::Parse
