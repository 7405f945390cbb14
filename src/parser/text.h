// A string value.
#pragma once

#include "parser/value.h"

#include <string_view>

namespace VEXA::Syntax {

class Text final : public Value {
 public:
  static constexpr NodeType kType = NodeType::Text;

  // The token (a string, or the first of a run of tokens joined into one text) with the given text
  // and the kind String. The text is viewed, not copied: a slice of the source or a kept text.
  Text(std::string_view text, const Lexer::Token& token);
  // A made-up text with no place in the source, viewed as above.
  explicit Text(std::string_view text);

  // The text is held once, as the token's text: the two never differ.
  std::string_view value() const { return token.text; }

  // Value properties, then "value".
  void describe(Writer& out) const override;
};

}  // namespace VEXA::Syntax
