// JavaScript form of positions and ranges: {line, character} and {start, end}.
#include "toolchain/position.h"

namespace VEXA::Toolchain {

Napi::Object Position::serialize(Napi::Env env) const {
  Napi::Object object = Napi::Object::New(env);
  object.Set("line", Napi::Number::New(env, line));
  object.Set("character", Napi::Number::New(env, character));
  return object;
}

Napi::Object Range::serialize(Napi::Env env) const {
  Napi::Object object = Napi::Object::New(env);
  object.Set("start", start.serialize(env));
  object.Set("end", end.serialize(env));
  return object;
}

}  // namespace VEXA::Toolchain
