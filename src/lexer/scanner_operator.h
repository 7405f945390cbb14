// Operators, the line feed, and register literals ("=" and a register letter).
#pragma once

#include "lexer/scanner.h"

#include <string_view>

namespace VEXA::Lexer::Scanner {

class Operator final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;

  // The bytes that start an operator token.
  static constexpr std::string_view operators = "-+%*():,=\n";
  // The register letters that may follow "=".
  static constexpr std::string_view registers = "xyhmsipwq";
};

}  // namespace VEXA::Lexer::Scanner
