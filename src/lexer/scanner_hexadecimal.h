// Hexadecimal literals: an apostrophe and hexadecimal digits.
#pragma once

#include "lexer/scanner.h"

namespace VEXA::Lexer::Scanner {

class Hexadecimal final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;
};

}  // namespace VEXA::Lexer::Scanner
