// Value node base serialisation.
#include "parser/value.h"

namespace VEXA::Syntax {

Napi::Object Value::serialize(Napi::Env env) const {
  Napi::Object object = Node::serialize(env);
  if (key.kind != Lexer::TokenKind::None) object.Set("key", Napi::String::New(env, key.text));
  return object;
}

}  // namespace VEXA::Syntax
