// Per-environment data: each main thread or worker thread that loads the module gets its own.
#pragma once

#include "addon/decoders.h"

#include <napi.h>

namespace VEXA::Addon {

struct InstanceData {
  Napi::FunctionReference keywordsConstructor;
  // The compiled layout decoders that result decodings in this environment use.
  Decoders decoders;
  // The JavaScript decoder's `start` and `step` (lib/decode.js, installed by index.js), and the
  // function it makes texts that are not ASCII with.
  Napi::FunctionReference decoderStart;
  Napi::FunctionReference decoderStep;
  Napi::FunctionReference utf8;

  // Created on first use for the environment and freed with it.
  static InstanceData& Get(Napi::Env env);
};

}  // namespace VEXA::Addon
