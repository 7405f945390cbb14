// The compilation rules of one parse, read from the JavaScript rules object.
#pragma once

#include <napi.h>

#include <cstdint>
#include <memory>

namespace VEXA::Toolchain {

struct Rules {
  virtual ~Rules() = default;

  bool strict = false;           // "core.strict": names compare exactly
  uint32_t dialect = 0;          // "core.dialect": stored for the caller, consulted by nobody here
  uint64_t diagnosticLimit = 0;  // "diagnostic.limit": 0 means no limit
  uint64_t parseBlocks = 0;      // "syntax.parseBlocks": 0 or 1, block tags in comments
};

// Reads every key in a fixed order. A missing or mistyped key leaves a pending JavaScript exception
// (the host's own type error) and 0/false in that field and in every field read after it.
std::shared_ptr<Rules> ReadRules(Napi::Env env, Napi::Object rules);

}  // namespace VEXA::Toolchain
