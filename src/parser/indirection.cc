// Indirection node serialisation.
#include "parser/indirection.h"

namespace VEXA::Syntax {

Napi::Object Indirection::serialize(Napi::Env env) const {
  Napi::Object object = Value::serialize(env);
  object.Set("identifier", Napi::String::New(env, token.text));
  object.Set("modifier", Napi::Number::New(env, modifier));
  return object;
}

}  // namespace VEXA::Syntax
