// The NV0 family: data items made of a list of values, a real number, a reference to a named item
// or a reserved size.
#include "directive/families.h"
#include "directive/nv0_byte.h"
#include "directive/nv0_numeric.h"
#include "directive/nv0_pointer.h"
#include "directive/nv0_space.h"
#include "parser/value_parsers.h"
#include "toolchain/name_hash.h"

#include <string>

namespace VEXA::Directive {

namespace {

enum class Member { Unknown, Text, Bytes, Numeric, Pointer, Space };

// The machine fixes the members, not the caller's keyword tables: the words are known by the hash
// of their upper-case form, whatever the strictness.
Member memberOf(std::string_view keyword) {
  switch (hashName(keyword, Toolchain::CaseMode::Upper)) {
    case hashWord("NV0TEXT"):
      return Member::Text;
    case hashWord("NV0BYTE"):
      return Member::Bytes;
    case hashWord("NV0FNUM"):
      return Member::Numeric;
    case hashWord("NV0PTR"):
      return Member::Pointer;
    case hashWord("NV0SPACE"):
      return Member::Space;
    default:
      return Member::Unknown;
  }
}

// An operand is mandatory for every member: reports `code` with the arguments "1" and "none" at
// the label (or the keyword) when the line ends after the keyword.
bool operandMissing(Parser& parser, const Token& labelOrKeyword, Code code) {
  if (!parser.check(TokenKind::Newline) && !parser.check(TokenKind::EndOfInput)) return false;
  auto& diagnostic = parser.report(code, labelOrKeyword);
  diagnostic.args.emplace_back("1");
  diagnostic.args.emplace_back("none");
  return true;
}

// bytes := value (Comma value)*
// One bad value drops the whole item; parseValue has said why.
std::shared_ptr<Syntax::Node> parseBytes(Parser& parser, const Token& labelOrKeyword) {
  if (operandMissing(parser, labelOrKeyword, Code::MissingSpecification)) return nullptr;
  Syntax::NodeList values;
  do {
    auto value = parseValue(parser, ValueMode::Plain);
    if (!value) return nullptr;
    values.push_back(std::move(value));
  } while (parser.accept(TokenKind::Comma));
  return parser.make<NV0::Byte>(labelOrKeyword, std::move(values));
}

// The members of one operand: a real, a name or an integer as the operand parser reads it.
template <typename Item, typename Operand>
std::shared_ptr<Syntax::Node> parseSingle(Parser& parser, const Token& labelOrKeyword,
                                          Operand operand) {
  if (operandMissing(parser, labelOrKeyword, Code::MissingArguments)) return nullptr;
  auto value = operand(parser);
  if (!value) return nullptr;
  return parser.make<Item>(labelOrKeyword, std::move(value));
}

}  // namespace

// nv0-directive := label? NV0TEXT bytes        (warning 7001, then as NV0BYTE)
//                | label? NV0BYTE bytes        (no operand: 3202 "1" "none")
//                | label? NV0FNUM real         (no operand: 3201 "1" "none")
//                | label? NV0PTR name          (no operand: 3201 "1" "none")
//                | label? NV0SPACE integer     (no operand: 3201 "1" "none")
// Any other word that begins with "NV0": 9001 "Directive::NV0.parse".
std::shared_ptr<Syntax::Node> parseNv0(Parser& parser, const Token& labelOrKeyword) {
  const Member member = memberOf(parser.previous.text);
  switch (member) {
    case Member::Unknown:
      parser.report(Code::Unhandled, parser.previous).args.emplace_back("Directive::NV0.parse");
      return nullptr;
    case Member::Text:
      // The keyword as written, so that the message shows the spelling the source used.
      parser.warning(Code::TextMember).args.emplace_back(parser.previous.text);
      return parseBytes(parser, labelOrKeyword);
    case Member::Bytes:
      return parseBytes(parser, labelOrKeyword);
    case Member::Numeric:
      return parseSingle<NV0::Numeric>(parser, labelOrKeyword, parseReal);
    case Member::Pointer:
      return parseSingle<NV0::Pointer>(parser, labelOrKeyword, parseName);
    case Member::Space:
      return parseSingle<NV0::Space>(parser, labelOrKeyword, parseInteger);
  }
  return nullptr;
}

}  // namespace VEXA::Directive
