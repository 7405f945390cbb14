// The module-wide list of statement parsers, in the order the driver asks them.
#pragma once

#include "parser/statement_parser.h"

#include <array>

namespace VEXA {

// Directives and labels, instructions, namespace commands, block tags, conditionals. A slot whose
// parser does not exist yet is null and is skipped.
using StatementList = std::array<const StatementParser*, 5>;

const StatementList& statementParsers();

}  // namespace VEXA
