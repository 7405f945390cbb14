// The scanners in the order they are tried.
#pragma once

#include <array>

namespace VEXA::Lexer::Scanner {

class Base;

using List = std::array<const Base*, 9>;

// Built on first use (thread-safe static initialisation) and only read afterwards, so parses on
// any number of threads share it.
const List& list();

}  // namespace VEXA::Lexer::Scanner
