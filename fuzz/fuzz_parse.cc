// libFuzzer target: lexes and parses arbitrary bytes under every rule combination. The first input
// byte selects the rules and is not part of the source: bit 0 strict rules, bit 1 block tags, bits
// 2-3 the diagnostic limit, bit 4 a strict keyword table. The rest is the source text.
#include "lexer/keyword_table.h"
#include "parser/program.h"
#include "toolchain/context.h"
#include "toolchain/rules.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

namespace {

std::shared_ptr<const VEXA::KeywordTable> Table(bool strict) {
  auto table = std::make_shared<VEXA::KeywordTable>();
  table->strict = strict;
  using Kind = VEXA::Lexer::TokenKind;
  const auto add = [&](std::initializer_list<const char*> words, Kind kind) {
    for (const char* word : words) table->words.emplace(word, kind);
  };
  add({"NOJ", "REX", "IASJ", "PRE"}, Kind::Precode);
  add({"#HMI", "#NAV", "#TRACE", "#META", "#INCLUDE"}, Kind::Command);
  add({"EQU",     "IEQU",    "SEQU",     "OEQU",    "AIEQU",    "AOEQU",     "FEQU",    "#EQU",
       "MEQU",    "DEFSEM",  "DEFBLOCK", "DEFWORD", "DEFADDR",  "DEFTIME24", "DEFLONG", "DEFFLOAT",
       "NV0TEXT", "NV0BYTE", "NV0FNUM",  "NV0PTR",  "NV0SPACE", "NVEM0",     "D"},
      Kind::Directive);
  add({"MOV", "NOP", "JMP", "ADD"}, Kind::Instruction);
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t selector = data[0];
  auto rules = std::make_shared<VEXA::Toolchain::Rules>();
  rules->strict = selector & 1;
  rules->parseBlocks = (selector >> 1) & 1;
  rules->diagnosticLimit = (selector >> 2) & 3;
  auto context = std::make_shared<VEXA::Toolchain::Context>("fuzz.vx", rules);
  context->setKeywords(Table((selector >> 4) & 1));
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  auto source = std::make_shared<std::istringstream>(std::move(bytes));
  VEXA::Program program = VEXA::parseProgram(std::move(source), std::move(context));
  return 0;
}
