// Format calls: a format letter, then its specification between parentheses.
#pragma once

#include "namespace/format_call.h"
#include "parser/parser.h"

#include <memory>

namespace VEXA::Namespace {

// formatCall := LeftParen specification RightParen   (missing "(": 1003; missing ")": 1004)
// With `current` on the "(". The letter picks the format specification: "b", "f", "s", "nz", "L" or
// "(" (compared under the context's case mode; any other word: 4105). Format calls nest through
// "(" specifications and "s" output items; each call is one level of the parser's depth limit,
// and a call past it draws 1006 at its "(" and fails.
std::shared_ptr<FormatCall> parseFormatCall(Parser& parser, Token letter);

}  // namespace VEXA::Namespace
