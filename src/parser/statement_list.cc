// The statement parsers in dispatch order. Built once, on first use (thread-safe static
// initialisation), and only read afterwards, so parses on several threads share it freely.
#include "parser/statement_list.h"

#include "directive/block_tag_parser.h"
#include "directive/directive_parser.h"
#include "instruction/instruction_parser.h"
#include "namespace/command_parser.h"
#include "statement/conditional_parser.h"

namespace VEXA {

const StatementList& statementParsers() {
  static const Directive::DirectiveParser directives;
  static const Directive::BlockTagParser blockTags;
  static const InstructionParser instructions;
  static const Namespace::CommandParser commands;
  static const Statement::ConditionalParser conditionals;
  static const StatementList list = {
      &directives,    // labels and directives
      &instructions,  // instructions with their precodes
      &commands,      // namespace commands
      &blockTags,     // block tags
      &conditionals,  // conditionals
  };
  return list;
}

}  // namespace VEXA
