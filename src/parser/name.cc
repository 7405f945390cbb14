// Name node serialisation.
#include "parser/name.h"

namespace VEXA::Syntax {

Napi::Object Name::serialize(Napi::Env env) const {
  Napi::Object object = Value::serialize(env);
  object.Set("identifier", Napi::String::New(env, token.text));
  // A "#" name refers to a fixed resource; the text itself no longer shows the "#".
  if (token.kind == Lexer::TokenKind::HashName) object.Set("fixed", Napi::Boolean::New(env, true));
  return object;
}

}  // namespace VEXA::Syntax
