// Block-tag node serialisation.
#include "directive/block_tag.h"

namespace VEXA::Statement {

Napi::Object BlockTag::serialize(Napi::Env env) const {
  Napi::Object object = Node::serialize(env);
  object.Set("tag", Napi::String::New(env, token.text));
  return object;
}

}  // namespace VEXA::Statement
