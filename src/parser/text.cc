// Text node construction and serialisation.
#include "parser/text.h"

namespace VEXA::Syntax {

Text::Text(std::string_view text, const Lexer::Token& token) : Value(kType, token) {
  this->token.kind = Lexer::TokenKind::String;
  this->token.text = text;
}

Text::Text(std::string_view text) : Value(kType, Lexer::Token{}) {
  token.kind = Lexer::TokenKind::String;
  token.text = text;
}

void Text::describe(Writer& out) const {
  Value::describe(out);
  out.text("value", token.text);
}

}  // namespace VEXA::Syntax
