// The argument list of a method, and the extended arguments that "#HMI" methods take.
#pragma once

#include "parser/parser.h"
#include "parser/value.h"
#include "syntax/node.h"

#include <memory>
#include <vector>

namespace VEXA::Namespace {

class Arguments {
 public:
  // arguments := argument (Comma argument)*
  // argument  := extended                        (in a "#HMI" command: `hmi`)
  //            | value                           (plain mode, everywhere else)
  // The list is always read to its end, so one bad argument does not hide the problems of the
  // ones after it; an argument that failed is a null entry. `name` is the method's name token.
  static Syntax::NodeList parse(Parser& parser, const Token& name, bool hmi);

  // Whether no entry of a list from `parse` failed.
  static bool complete(const Syntax::NodeList& list);

  // extended := (Identifier Colon)? (formatCall | run)
  // formatCall := (Identifier | Instruction) LeftParen specification RightParen
  //             | LeftParen specification RightParen
  // run := first (any token but Comma, RightParen, Newline, EndOfInput)*
  // first := Identifier | Instruction | HashName | HashNumber | HexLiteral | BinaryLiteral
  //        | Integer | Real | String                              (anything else: 2005)
  // A literal right before "(" draws 5901. A run of several tokens becomes one text: 1310 (a
  // warning) when the rules are not strict, 1311 (the argument fails) when they are.
  static std::shared_ptr<Syntax::Value> argument(Parser& parser, const Token& name);

  // The value that stands for a run of tokens: the token's own value node for one token, one
  // text for several, the texts joined with the blanks between them. An empty run is a caller's
  // fault: 9001 at `name`.
  static std::shared_ptr<Syntax::Value> extended(Parser& parser, const std::vector<Token>& tokens,
                                                 const Token& name);
};

}  // namespace VEXA::Namespace
