// The format specifications of the six format letters. Each runs between the parentheses of its
// call: it starts on the first token after "(", stops on the ")" when it succeeds, and builds the
// format call from the letter token. "Value" below is a value of the format mode (registers and
// indirections allowed); "plain" one of the plain mode.
#pragma once

#include "namespace/format_call.h"
#include "parser/parser.h"

#include <memory>
#include <utility>

namespace VEXA::Namespace {

// b := value (Comma display)?                                       (empty: 3202 "1")
// display := Integer "2" | Identifier ("f" | "h" | "v" | "c")       (else 5903 "format")
std::shared_ptr<FormatCall> parseB(Parser& parser, const Token& letter);

// f := value (Comma value (Comma value (Comma "v")?)?)?               (empty: 3202 "1")
// The fourth argument is any token whose text is "v" (else 5904 "style").
std::shared_ptr<FormatCall> parseF(Parser& parser, const Token& letter);

// s := value Comma output Comma output                       (fewer: 3201 "3" and the count)
// output := Identifier | formatCall | plain | String                (else 5906 "output")
std::shared_ptr<FormatCall> parseS(Parser& parser, const Token& letter);

// nz := (value (Comma value)?)?                         (a text as the first value: 5905 "pointer")
std::shared_ptr<FormatCall> parseNz(Parser& parser, const Token& letter);

// L := (plain (Comma plain)*)?                                      (empty: warning 5902)
std::shared_ptr<FormatCall> parseL(Parser& parser, const Token& letter);

// ( := (item (Comma item)*)?                                        (empty: warning 5902)
// item := Identifier | formatCall | plain
std::shared_ptr<FormatCall> parseGroup(Parser& parser, const Token& letter);

// Helpers the format specifications share.

inline std::shared_ptr<FormatCall> makeCall(Parser& parser, const Token& letter,
                                            Syntax::NodeList args) {
  auto call = parser.make<FormatCall>(letter);
  call->args = std::move(args);
  return call;
}

// An empty "L" or "(" specification is allowed, with a warning at the letter.
inline void warnEmpty(Parser& parser, const Token& letter) {
  parser.context().diagnostics().add(Code::EmptySpecification, Toolchain::Severity::Warning,
                                     letter.range);
}

// The comma between two arguments of a specification; 1005 at `current` when it is missing.
inline bool expectComma(Parser& parser) {
  if (parser.accept(TokenKind::Comma)) return true;
  parser.report(Code::MissingComma, parser.current);
  return false;
}

}  // namespace VEXA::Namespace
