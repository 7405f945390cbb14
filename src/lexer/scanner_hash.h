// "#" words: numbers after "#", command names, the conditional keywords.
#pragma once

#include "lexer/scanner.h"

namespace VEXA::Lexer::Scanner {

class Hash final : public Base {
 public:
  bool accept(Reader& reader, int c) const override;
  Token scan(Reader& reader, int c) const override;
};

}  // namespace VEXA::Lexer::Scanner
