// Case-mode name hashing and comparison, used to recognise fixed words without keyword tables.
#pragma once

#include "toolchain/context.h"

#include <cstdint>
#include <string_view>

namespace VEXA {

// djb2 folded in from the last byte to the first, bytes taken as signed; stops at a zero byte.
uint32_t hashName(std::string_view text, Toolchain::CaseMode mode);

// The hash of a fixed upper-case word, usable in switch labels.
constexpr uint32_t hashWord(std::string_view text) {
  uint32_t hash = 5381;
  size_t end = text.find('\0');
  if (end == std::string_view::npos) end = text.size();
  for (size_t i = end; i-- > 0;)
    hash = hash * 33u + static_cast<uint32_t>(static_cast<int8_t>(text[i]));
  return hash;
}

bool equalsFolded(Toolchain::CaseMode mode, std::string_view left, std::string_view right);

}  // namespace VEXA
