// Plain words: labels, keywords, and unknown words.
#pragma once

#include "lexer/scanner.h"

namespace VEXA::Lexer::Scanner {

class Identifier final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;
};

}  // namespace VEXA::Lexer::Scanner
