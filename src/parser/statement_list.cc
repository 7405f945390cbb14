// The statement parsers in dispatch order. Built once, on first use (thread-safe static
// initialisation), and only read afterwards, so parses on several threads share it freely.
#include "parser/statement_list.h"

#include "directive/block_tag_parser.h"
#include "directive/family_probe.h"
#include "instruction/instruction_parser.h"

namespace VEXA {

const StatementList& statementParsers() {
  static const Directive::BlockTagParser blockTags;
  static const Directive::FamilyProbe directives;  // stand-in until the directive parser lands
  static const InstructionParser instructions;
  static const StatementList list = {
      &directives,    // labels and directives
      &instructions,  // instructions with their precodes
      nullptr,        // namespace commands
      &blockTags,     // block tags
      nullptr,        // conditionals
  };
  return list;
}

}  // namespace VEXA
