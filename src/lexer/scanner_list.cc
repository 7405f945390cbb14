// The scanner list. The order decides between scanners that accept the same first byte: "+" and
// "-" go to Special (before "INF"/"NAN") or Number, "%" to Binary, so Operator only receives the
// bytes the others leave.
#include "lexer/scanner_list.h"

#include "lexer/scanners.h"

#include "lexer/reader.h"
#include "toolchain/context.h"

#include <memory>
#include <string>
#include <vector>

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
  static const List scanners = [] {
    List list{};
    list[kHash] = &hash;
    list[kIdentifier] = &identifier;
    list[kSpecial] = &special;
    list[kAt] = &at;
    list[kNumber] = &number;
    list[kHexadecimal] = &hexadecimal;
    list[kBinary] = &binary;
    list[kString] = &string;
    list[kOperator] = &op;
    return list;
  }();
  return scanners;
}

const Candidates& candidates() {
  static const Candidates table = [] {
    // The acceptance tests themselves fill the table, so it cannot drift from them. Only the
    // signed-word scanner looks ahead, for a letter that "INF" or "NAN" could start with: a
    // reader whose next byte is such a letter lets every scanner that may take a byte say so.
    // Whether the first candidate is certain is asked with every possible next byte (a NUL byte
    // standing for the end of the input).
    auto context = std::make_shared<Toolchain::Context>("", std::make_shared<Toolchain::Rules>());
    auto reader = [&](char next) {
      return std::make_unique<Reader>(Toolchain::SourceText::take(std::string(1, next)), context,
                                      std::make_shared<Toolchain::TextStore>());
    };
    std::vector<std::unique_ptr<Reader>> ahead;
    for (int next = 0; next < 256; ++next) ahead.push_back(reader(static_cast<char>(next)));
    const auto letter = reader('I');
    Candidates found{};
    const List& scanners = list();
    for (int c = 0; c < 256; ++c) {
      uint8_t index = 0;
      while (index < scanners.size() && !scanners[index]->accept(*letter, c)) ++index;
      found.first[c] = index;
      bool certain = index < scanners.size();
      for (const auto& next : ahead) {
        if (!certain) break;
        certain = scanners[index]->accept(*next, c);
      }
      found.certain[c] = certain;
    }
    return found;
  }();
  return table;
}

}  // namespace VEXA::Lexer::Scanner
