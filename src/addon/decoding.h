// The decoding of an encoded parse result into JavaScript objects, a slice at a time, by the
// JavaScript decoder (lib/decode.js) and the layout decoders (addon/decoders.h): the JavaScript
// thread is never held much longer than one slice, however large the result, and other callbacks
// (timers, I/O) run between slices.
#pragma once

#include "addon/later.h"
#include "syntax/compact_writer.h"

#include <node_api.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace VEXA::Addon::Parse {

// A parse result as the worker leaves it: the encoding, and its text table as the JavaScript
// decoder reads it (offset, size, and 1 for ASCII, per text), built on the worker too.
struct Encoded {
  std::unique_ptr<Syntax::CompactWriter> writer;
  std::vector<uint32_t> texts;
  uint32_t optimize = 0;
  uint32_t nodes = 0;
  uint32_t diagnostics = 0;

  // About how many bytes of memory this holds.
  size_t footprint() const;
};

class Decoding final : public Sliced {
 public:
  // Decodes `encoded` and settles `deferred` with {optimize, nodes, diagnostics}, or with the
  // error that stopped the decoding. Owns itself from here on: it lives until the promise is
  // settled, across as many turns of the event loop as the result needs.
  static void Start(napi_env env, napi_deferred deferred, Encoded encoded);

 private:
  Decoding(napi_env env, napi_deferred deferred, Encoded encoded);
  ~Decoding() override;

  // Hands the encoding to the JavaScript decoder; false once a host call has failed.
  bool begin();
  // Runs one slice of the JavaScript decoder, then hops to the next turn or settles.
  void slice() override;
  // A view of `bytes` bytes at `data` that the JavaScript decoder reads while this lives.
  napi_value buffer(void* data, size_t bytes);
  // Resolves with `result`, or rejects with `error` (a generic error when null); then detaches
  // the views of this object's memory and deletes it.
  void settle(napi_value result, napi_value error);

  napi_deferred deferred_;
  Encoded encoded_;
  napi_ref state_ = nullptr;
  napi_ref step_ = nullptr;
  // The array buffers over this object's memory: detached before it is freed.
  std::vector<napi_ref> views_;
};

}  // namespace VEXA::Addon::Parse
