// The EQU directive family: a label bound to an integer constant, an I/O point, a real constant, a
// symbol or a memory location. The member is fixed by the hash of the keyword's upper-case text
// alone, so any keyword the caller's tables spell with one of these hashes is that member.
#include "directive/equ_constant.h"
#include "directive/equ_memory.h"
#include "directive/equ_value.h"
#include "directive/families.h"
#include "parser/integer.h"
#include "parser/value_parsers.h"
#include "toolchain/name_hash.h"

#include <string_view>

namespace VEXA::Directive {

namespace {

// The member words. The hashes are what the rest of the toolchain knows the members by; the
// words are one spelling of each.
constexpr uint32_t kConstant = hashWord("EQU");
constexpr uint32_t kInput = hashWord("IEQU");
constexpr uint32_t kSecondInput = hashWord("SEQU");
constexpr uint32_t kOutput = hashWord("OEQU");
constexpr uint32_t kAnalogInput = hashWord("AIEQU");
constexpr uint32_t kAnalogOutput = hashWord("AOEQU");
constexpr uint32_t kReal = hashWord("FEQU");
constexpr uint32_t kSymbol = hashWord("#EQU");
constexpr uint32_t kMemory = hashWord("MEQU");
static_assert(kConstant == 0x0B882730 && kInput == 0x7C8D0D79 && kSecondInput == 0x7C8D0D83 &&
              kOutput == 0x7C8D0D7F && kAnalogInput == 0x0E2EBCDA && kAnalogOutput == 0x0E2EBDA0 &&
              kReal == 0x7C8D0D76 && kSymbol == 0x7C8D0D53 && kMemory == 0x7C8D0D7D);

// Every member needs an operand; its keyword must not be the last token of the line. The error
// stands on the label, the name that is left without a value.
bool missingOperand(Parser& parser, Code code, const Token& label) {
  if (!parser.check(TokenKind::Newline) && !parser.check(TokenKind::EndOfInput)) return false;
  auto& diagnostic = parser.report(code, label);
  diagnostic.args.emplace_back("1");
  diagnostic.args.emplace_back("none");
  return true;
}

// constant := integer                       (an integer literal or a name; 3201 when none is there)
std::shared_ptr<Syntax::Node> parseConstant(Parser& parser, const Token& label,
                                            std::string_view io) {
  if (missingOperand(parser, Code::MissingArguments, label)) return nullptr;
  auto value = parseInteger(parser);
  if (!value) return nullptr;
  auto node = parser.make<EQU::Constant>(label, std::move(value));
  node->io = io;
  return node;
}

// real := real-value                           (a number of any form or a name; 3201 when none)
std::shared_ptr<Syntax::Node> parseRealConstant(Parser& parser, const Token& label) {
  if (missingOperand(parser, Code::MissingArguments, label)) return nullptr;
  auto value = parseReal(parser);
  if (!value) return nullptr;
  return parser.make<EQU::Value>(label, EQU::Value::kReal, std::move(value));
}

// symbol := value                                      (a name, number or string; 3201 when none)
// The label enters the symbol table under its name hash. The first definition of a hash stays:
// the table only records what was defined, it decides nothing here.
std::shared_ptr<Syntax::Node> parseSymbol(Parser& parser, const Token& label) {
  if (missingOperand(parser, Code::MissingArguments, label)) return nullptr;
  Toolchain::Context& context = parser.context();
  const uint32_t hash = hashName(label.text, context.caseMode());
  std::shared_ptr<Syntax::Node> value;
  if (context.symbols().contains(hash)) {
    value = parseValue(parser, ValueMode::Plain);
  } else {
    // The table will hold this value for the rest of the parse.
    Parser::Lasting lasting(parser);
    value = parseValue(parser, ValueMode::Plain);
  }
  if (!value) return nullptr;
  context.symbols().try_emplace(hash, value);
  return parser.make<EQU::Value>(label, EQU::Value::kSymbol, std::move(value));
}

// memory := address (Comma size)?                          (both integers; 3202 when none there)
// A comma promises a size: when none follows, the whole directive fails.
std::shared_ptr<Syntax::Node> parseMemory(Parser& parser, const Token& label) {
  if (missingOperand(parser, Code::MissingSpecification, label)) return nullptr;
  auto address = parseInteger(parser);
  if (!address) return nullptr;
  if (!parser.accept(TokenKind::Comma)) {
    return parser.make<EQU::Memory>(label, std::move(address), madeUpInteger(parser, 1));
  }
  auto size = parseInteger(parser);
  if (!size) return nullptr;
  return parser.make<EQU::Memory>(label, std::move(address), std::move(size));
}

}  // namespace

// equ := Identifier Colon? Directive operand             (Directive: a keyword that ends in "EQU")
// Every member binds a label, so a line without one is refused (4201) before the keyword is even
// looked at. A keyword whose hash is no member's is 9001.
std::shared_ptr<Syntax::Node> parseEqu(Parser& parser, const Token& labelOrKeyword) {
  if (labelOrKeyword.kind != TokenKind::Identifier) {
    parser.report(Code::EquWithoutLabel, labelOrKeyword);
    return nullptr;
  }
  const Token& label = labelOrKeyword;
  switch (hashName(parser.previous.text, Toolchain::CaseMode::Upper)) {
    case kConstant:
      return parseConstant(parser, label, {});
    case kInput:
    case kSecondInput:
      return parseConstant(parser, label, "input");
    case kOutput:
      return parseConstant(parser, label, "output");
    case kAnalogInput:
      return parseConstant(parser, label, "analog-input");
    case kAnalogOutput:
      return parseConstant(parser, label, "analog-output");
    case kReal:
      return parseRealConstant(parser, label);
    case kSymbol:
      return parseSymbol(parser, label);
    case kMemory:
      return parseMemory(parser, label);
    default:
      parser.report(Code::Unhandled, parser.previous).args.emplace_back("Directive::EQU.parse");
      return nullptr;
  }
}

}  // namespace VEXA::Directive
