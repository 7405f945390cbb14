// Binary literals ("%" and binary digits), and the lone "%".
#pragma once

#include "lexer/scanner.h"

namespace VEXA::Lexer::Scanner {

class Binary final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;
};

}  // namespace VEXA::Lexer::Scanner
