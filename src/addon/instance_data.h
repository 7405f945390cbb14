// Per-environment data: each main thread or worker thread that loads the module gets its own.
#pragma once

#include "addon/decoders.h"

#include <napi.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>

namespace VEXA::Addon {

class Sliced;
class Watch;

// What tests may set through the addon's `testing` hook (never exported by index.js), so that
// they know exactly how many slices a result takes and can reach the limits with small inputs.
// Zero means the ordinary behaviour.
struct Testing {
  // Bytes copied per slice of a large source, instead of a time budget.
  size_t copyBytes = 0;
  // Texts made plus records decoded per decoding slice, instead of a time budget.
  uint32_t decodeUnits = 0;
  // Lowered limits of the result (addon/result_limits.h).
  uint64_t textBytes = 0;
  uint64_t textSize = 0;
  uint64_t listCount = 0;
  // Words of records per chunk handed from the parse job to its decoding.
  uint64_t chunkWords = 0;
  // Parses hold after their first statements until their environment goes away, so that a test
  // can end the environment while a parse is surely running.
  bool holdParse = false;
  // Slices run so far in this environment.
  uint64_t copySlices = 0;
  uint64_t decodeSlices = 0;
  // Texts handed to decodings so far in this environment (each a string the decoder makes).
  uint64_t texts = 0;
};

struct InstanceData {
  InstanceData() = default;
  // Frees the jobs still waiting for a later turn: an environment that goes away runs no more.
  ~InstanceData();
  InstanceData(const InstanceData&) = delete;
  InstanceData& operator=(const InstanceData&) = delete;

  Napi::FunctionReference keywordsConstructor;
  // The compiled layout decoders that result decodings in this environment use.
  Decoders decoders;
  // The JavaScript decoder's `start`, `step`, `feed` and `later` (lib/decode.js, installed by
  // index.js), and the functions it makes texts that are not ASCII with and resumes waiting jobs
  // with.
  Napi::FunctionReference decoderStart;
  Napi::FunctionReference decoderStep;
  Napi::FunctionReference decoderFeed;
  Napi::FunctionReference later;
  Napi::FunctionReference utf8;
  Napi::FunctionReference resume;
  // A function that does nothing: calling it fails only while the environment is torn down.
  Napi::FunctionReference probe;
  // The pool jobs' look at whether this environment is going away (addon/watch.h); made on
  // first use.
  std::unique_ptr<Watch> watch;
  Testing testing;

  // Records `job` as waiting for a later turn; the ticket `resume` is called with.
  uint32_t wait(Sliced* job);
  // The job waiting under `ticket`, no longer waiting; null when there is none.
  Sliced* take(uint32_t ticket);

  // Created on first use for the environment and freed with it.
  static InstanceData& Get(Napi::Env env);

 private:
  std::unordered_map<uint32_t, Sliced*> waiting_;
  uint32_t tickets_ = 0;
};

}  // namespace VEXA::Addon
