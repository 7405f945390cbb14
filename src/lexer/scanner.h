// The scanner interface: one scanner per kind of token, tried in a fixed order on the first byte.
#pragma once

#include "lexer/token.h"

namespace VEXA::Lexer {

class Reader;

namespace Scanner {

// Stateless; one object of each scanner serves every parse on every thread.
class Base {
 public:
  virtual ~Base();
  // Whether this scanner handles a token that starts with c (already consumed). May peek, never
  // consumes.
  virtual bool accept(Reader& reader, int c) const = 0;
  // Consumes the rest of the token and returns it (None after a reported problem).
  virtual Token scan(Reader& reader, int c) const = 0;
};

}  // namespace Scanner
}  // namespace VEXA::Lexer
