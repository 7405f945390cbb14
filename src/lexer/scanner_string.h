// Double-quoted strings, where a doubled quote stands for a quote.
#pragma once

#include "lexer/scanner.h"

namespace VEXA::Lexer::Scanner {

class String final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;

 private:
  // The token of a string whose closing quote has just been read.
  static Token closed(Reader& reader);
};

}  // namespace VEXA::Lexer::Scanner
