// The scanner interface's out-of-line destructor, which anchors its virtual table here.
#include "lexer/scanner.h"

namespace VEXA::Lexer::Scanner {

Base::~Base() = default;

}  // namespace VEXA::Lexer::Scanner
