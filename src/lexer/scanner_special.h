// A sign directly followed by a word: "+INF", "-NAN" and their misspellings.
#pragma once

#include "lexer/scanner.h"

namespace VEXA::Lexer::Scanner {

class Special final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;
};

}  // namespace VEXA::Lexer::Scanner
