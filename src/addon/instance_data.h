// Per-environment data: each main thread or worker thread that loads the module gets its own.
#pragma once

#include "toolchain/object_shape.h"

#include <napi.h>

namespace VEXA::Addon {

struct InstanceData {
  Napi::FunctionReference keywordsConstructor;
  // The object factories that result conversions in this environment use.
  Syntax::Factories factories;

  // Created on first use for the environment and freed with it.
  static InstanceData& Get(Napi::Env env);
};

}  // namespace VEXA::Addon
