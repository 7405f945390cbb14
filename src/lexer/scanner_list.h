// The scanners in the order they are tried.
#pragma once

#include <array>
#include <cstdint>

namespace VEXA::Lexer::Scanner {

class Base;

using List = std::array<const Base*, 9>;

// Where each scanner stands in the list. The reader calls the commonest ones by their class
// rather than through the list, and needs to know which entry is which.
enum Slot : uint8_t {
  kHash,
  kIdentifier,
  kSpecial,
  kAt,
  kNumber,
  kHexadecimal,
  kBinary,
  kString,
  kOperator,
};

// Built on first use (thread-safe static initialisation) and only read afterwards, so parses on
// any number of threads share it.
const List& list();

// For each first byte: the position in the list of the first scanner that may take it (the
// list's size when none does), and whether that scanner takes it whatever byte follows. Scanning
// starts there instead of asking every scanner in turn; a certain first candidate scans at once,
// otherwise the scanners' own acceptance tests decide from that position on.
struct Candidates {
  std::array<uint8_t, 256> first;
  std::array<bool, 256> certain;
};
const Candidates& candidates();

}  // namespace VEXA::Lexer::Scanner
