// Instruction lines: a precode chain, the mnemonic and a comma-separated operand list.
#include "instruction/instruction_parser.h"

#include "instruction/instruction.h"
#include "parser/value_parsers.h"
#include "toolchain/name_hash.h"

#include <array>
#include <vector>

namespace VEXA {

namespace {

constexpr uint8_t kExtendedPrecode = 237;

// Precode codes are fixed by the machine, not by the caller's keyword tables: the words are known
// by the hash of their upper-case form, whatever the strictness, so any spelling of a known precode
// that the keyword table lets through gets its code. Unknown precodes have code 0.
uint8_t precodeCode(const Token& token) {
  switch (hashName(token.text, Toolchain::CaseMode::Upper)) {
    case hashWord("NOJ"):
      return 239;
    case hashWord("REX"):
      return kExtendedPrecode;
    case hashWord("IASJ"):
      return 238;
    default:
      return 0;
  }
}

// What the chain needs of a precode once its word is read: its code, and where to warn.
struct Precode {
  uint8_t code;
  Toolchain::Range range;
};

void warnAt(Parser& parser, Code code, const Precode& precode) {
  parser.context().diagnostics().add(code, Toolchain::Severity::Warning, precode.range);
}

// The head of a line that starts with a precode (`previous`): the chain, then the mnemonic.
std::shared_ptr<Instruction> parsePrecodedHead(Parser& parser) {
  // Chains are short: the first few precodes stay on the stack, any further ones go to the heap.
  std::array<Precode, 4> few;
  std::vector<Precode> more;
  size_t count = 0;
  do {
    const Precode read{precodeCode(parser.previous), parser.previous.range};
    if (count < few.size()) {
      few[count] = read;
    } else {
      more.push_back(read);
    }
    ++count;
    if (!parser.accept(TokenKind::Colon)) {
      parser.report(Code::MissingPrecodeColon, parser.current);
      return nullptr;
    }
  } while (parser.accept(TokenKind::Precode));

  // After a precode any word will do as the mnemonic: the chain already marks the line as an
  // instruction, and the machine may know mnemonics the caller's tables do not.
  if (!parser.accept(TokenKind::Instruction) && !parser.accept(TokenKind::Identifier)) {
    parser.report(Code::MissingInstruction, parser.current);
    return nullptr;
  }
  parser.previous.kind = TokenKind::Instruction;
  auto node = parser.make<Instruction>(parser.previous);

  // The first known precode decides. An unknown one before it does not count, so it is no reason
  // to warn either.
  uint8_t chosen = 0;
  for (size_t i = 0; i < count; ++i) {
    const Precode& precode = i < few.size() ? few[i] : more[i - few.size()];
    if (precode.code == kExtendedPrecode) {
      if (node->extended) warnAt(parser, Code::RepeatedExtendedPrecode, precode);
      node->extended = true;
    }
    if (chosen != 0) {
      warnAt(parser, Code::RepeatedPrecode, precode);
    } else {
      chosen = precode.code;
    }
  }
  node->precode = chosen;
  return node;
}

}  // namespace

bool InstructionParser::accept(Parser& parser) const {
  return parser.accept(TokenKind::Instruction) || parser.accept(TokenKind::Precode);
}

std::shared_ptr<Syntax::Node> InstructionParser::parse(Parser& parser) const {
  std::shared_ptr<Instruction> node;
  if (parser.previous.kind == TokenKind::Instruction) {
    node = parser.make<Instruction>(parser.previous);
  } else {
    node = parsePrecodedHead(parser);
    if (!node) return nullptr;
  }

  if (parser.check(TokenKind::Newline) || parser.check(TokenKind::EndOfInput)) return node;

  // Room for the usual operand counts up front, so that a short list is allocated once.
  node->operands.reserve(4);
  do {
    auto operand = parseValue(parser, ValueMode::Plain);
    // A bad operand drops the whole statement; parseValue has said why.
    if (!operand) return nullptr;
    node->operands.push_back(std::move(operand));
  } while (parser.accept(TokenKind::Comma));
  return node;
}

}  // namespace VEXA
