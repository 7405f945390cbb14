// The scanner list. The order decides between scanners that accept the same first byte: "+" and
// "-" go to Special (before "INF"/"NAN") or Number, "%" to Binary, so Operator only receives the
// bytes the others leave.
#include "lexer/scanner_list.h"

#include "lexer/scanner_at.h"
#include "lexer/scanner_binary.h"
#include "lexer/scanner_hash.h"
#include "lexer/scanner_hexadecimal.h"
#include "lexer/scanner_identifier.h"
#include "lexer/scanner_number.h"
#include "lexer/scanner_operator.h"
#include "lexer/scanner_special.h"
#include "lexer/scanner_string.h"

namespace VEXA::Lexer::Scanner {

const List& list() {
  static const Hash hash;
  static const Identifier identifier;
  static const Special special;
  static const At at;
  static const Number number;
  static const Hexadecimal hexadecimal;
  static const Binary binary;
  static const String string;
  static const Operator op;
  static const List scanners = {&hash,        &identifier, &special, &at, &number,
                                &hexadecimal, &binary,     &string,  &op};
  return scanners;
}

}  // namespace VEXA::Lexer::Scanner
