// Places in the source: a zero-based line/character position and a range with an exclusive end.
// Their JavaScript form ({line, character}, {start, end}) is built by the object layouts of the
// nodes and diagnostics that carry them.
#pragma once

#include <cstdint>

namespace VEXA::Toolchain {

struct Position {
  uint32_t line = 0;
  uint32_t character = 0;

  bool operator==(const Position&) const = default;
};

struct Range {
  Position start;
  Position end;

  bool operator==(const Range&) const = default;
};

}  // namespace VEXA::Toolchain
