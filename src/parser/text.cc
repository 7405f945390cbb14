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

Napi::Object Text::serialize(Napi::Env env) const {
  Napi::Object object = Value::serialize(env);
  object.Set("value", Napi::String::New(env, token.text));
  return object;
}

}  // namespace VEXA::Syntax
