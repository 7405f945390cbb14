// The scanner list. The order decides between scanners that accept the same first byte: "+" and
// "-" go to Special (before "INF"/"NAN") or Number, "%" to Binary, so Operator only receives the
// bytes the others leave.
#include "lexer/scanner_list.h"

#include "lexer/scanners.h"

#include "lexer/reader.h"
#include "toolchain/context.h"

#include <memory>
#include <string>

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

const std::array<uint8_t, 256>& firstCandidates() {
  static const std::array<uint8_t, 256> table = [] {
    // The acceptance tests themselves fill the table, so it cannot drift from them. Only the
    // signed-word scanner looks ahead, for a letter that "INF" or "NAN" could start with: a
    // reader whose next byte is such a letter lets every scanner that may take a byte say so.
    auto context = std::make_shared<Toolchain::Context>("", std::make_shared<Toolchain::Rules>());
    Reader reader(Toolchain::SourceText::take("I"), context,
                  std::make_shared<Toolchain::TextStore>());
    std::array<uint8_t, 256> first{};
    const List& scanners = list();
    for (int c = 0; c < 256; ++c) {
      uint8_t index = 0;
      while (index < scanners.size() && !scanners[index]->accept(reader, c)) ++index;
      first[c] = index;
    }
    return first;
  }();
  return table;
}

}  // namespace VEXA::Lexer::Scanner
