// Register node serialisation.
#include "parser/register.h"

namespace VEXA::Syntax {

Napi::Object Register::serialize(Napi::Env env) const {
  Napi::Object object = Value::serialize(env);
  object.Set("character", Napi::String::New(env, token.text));
  return object;
}

}  // namespace VEXA::Syntax
