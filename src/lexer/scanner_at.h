// "@" words, which the language does not have: always an error.
#pragma once

#include "lexer/scanner.h"

namespace VEXA::Lexer::Scanner {

class At final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;
};

}  // namespace VEXA::Lexer::Scanner
