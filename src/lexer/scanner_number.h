// Decimal numbers, with an optional sign (blanks may follow it), fraction and exponent; and the
// lone "+" and "-" operators when no number follows the sign.
#pragma once

#include "lexer/scanner.h"

#include <string_view>

namespace VEXA::Lexer::Scanner {

class Number final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;

  // Integer when the fraction-form text (an optional sign, digits, ".", digits) has an integral
  // value in single precision, Real otherwise.
  static TokenKind classify(std::string_view text);
};

}  // namespace VEXA::Lexer::Scanner
