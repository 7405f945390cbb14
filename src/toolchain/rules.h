// The compilation rules of one parse.
#pragma once

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

}  // namespace VEXA::Toolchain
