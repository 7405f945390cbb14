// Places in the source: a zero-based line/character position and a range with an exclusive end.
#pragma once

#include <napi.h>

#include <cstdint>

namespace VEXA::Toolchain {

struct Position {
  uint32_t line = 0;
  uint32_t character = 0;

  Napi::Object serialize(Napi::Env env) const;
  bool operator==(const Position&) const = default;
};

struct Range {
  Position start;
  Position end;

  Napi::Object serialize(Napi::Env env) const;
  bool operator==(const Range&) const = default;
};

}  // namespace VEXA::Toolchain
