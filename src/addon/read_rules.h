// Reading the JavaScript rules object of a parse call.
#pragma once

#include "toolchain/rules.h"

#include <napi.h>

#include <memory>

namespace VEXA::Addon {

// Reads every key in a fixed order. A missing or mistyped key leaves a pending JavaScript exception
// (the host's own type error) and 0/false in that field and in every field read after it.
std::shared_ptr<Toolchain::Rules> ReadRules(Napi::Env env, Napi::Object rules);

}  // namespace VEXA::Addon
