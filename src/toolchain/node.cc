// Base node serialisation.
#include "toolchain/node.h"

namespace VEXA::Syntax {

Napi::Object Node::serialize(Napi::Env env) const {
  Napi::Object object = Napi::Object::New(env);
  object.Set("range", token.range.serialize(env));
  object.Set("type", Napi::Number::New(env, type));
  // Sources parsed without a name carry no path at all.
  if (token.filePath != "<anonymous>") {
    object.Set("filePath", Napi::String::New(env, token.filePath.data(), token.filePath.size()));
  }
  return object;
}

}  // namespace VEXA::Syntax
