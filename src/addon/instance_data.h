// Per-environment data: each main thread or worker thread that loads the module gets its own.
#pragma once

#include "addon/js_writer.h"

#include <napi.h>

namespace VEXA::Addon {

struct InstanceData {
  Napi::FunctionReference keywordsConstructor;
  // The object layouts and factories that result conversions in this environment use.
  Layouts layouts;

  // Created on first use for the environment and freed with it.
  static InstanceData& Get(Napi::Env env);
};

}  // namespace VEXA::Addon
