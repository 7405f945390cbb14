// Text node construction and serialisation.
#include "parser/text.h"

#include <utility>

namespace VEXA::Syntax {

Text::Text(std::string text, const Lexer::Token& token) : Value(kType, token) {
  this->token.kind = Lexer::TokenKind::String;
  this->token.text = std::move(text);
}

Text::Text(std::string text) : Value(kType, Lexer::Token{}) {
  token.kind = Lexer::TokenKind::String;
  token.text = std::move(text);
}

void Text::describe(Writer& out) const {
  Value::describe(out);
  out.text("value", token.text);
}

}  // namespace VEXA::Syntax
