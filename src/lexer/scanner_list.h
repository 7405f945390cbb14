// The scanners in the order they are tried.
#pragma once

#include <array>
#include <cstdint>

namespace VEXA::Lexer::Scanner {

class Base;

using List = std::array<const Base*, 9>;

// Built on first use (thread-safe static initialisation) and only read afterwards, so parses on
// any number of threads share it.
const List& list();

// For each first byte, the position in the list of the first scanner that may take it (the
// list's size when none does). Scanning starts there instead of asking every scanner in turn;
// the scanners' own acceptance tests still decide from that position on.
const std::array<uint8_t, 256>& firstCandidates();

}  // namespace VEXA::Lexer::Scanner
