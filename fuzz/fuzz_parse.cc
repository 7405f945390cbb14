// libFuzzer target: lexes and parses arbitrary bytes under every rule combination the first
// input byte selects. Only the parse runs here; serialisation needs a JavaScript engine.
#include "addon/keyword_table.h"
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
  for (const char* word : {"NOJ", "REX", "IASJ", "PRE"}) table->words.emplace(word, Kind::Precode);
  for (const char* word : {"#HMI", "#NAV", "#TRACE"}) table->words.emplace(word, Kind::Command);
  for (const char* word : {"EQU", "IOEQU", "DEFSEM", "NV0", "NVEM0"}) {
    table->words.emplace(word, Kind::Directive);
  }
  for (const char* word : {"MOV", "NOP", "JMP", "ADD"})
    table->words.emplace(word, Kind::Instruction);
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t selector = size > 0 ? data[0] : 0;
  auto rules = std::make_shared<VEXA::Toolchain::Rules>();
  rules->strict = selector & 1;
  rules->parseBlocks = (selector >> 1) & 1;
  rules->diagnosticLimit = (selector >> 2) & 3;
  auto context = std::make_shared<VEXA::Toolchain::Context>("fuzz.vx", rules);
  context->setKeywords(Table((selector >> 4) & 1));
  std::string bytes(reinterpret_cast<const char*>(data), size);
  auto source = std::make_shared<std::istringstream>(std::move(bytes));
  VEXA::parseProgram(std::move(source), std::move(context));
  return 0;
}
