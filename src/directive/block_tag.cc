// Block-tag node serialisation.
#include "directive/block_tag.h"

namespace VEXA::Statement {

Napi::Object BlockTag::serialize(Napi::Env env) const {
  static const Syntax::Shape shape(baseShape(), {{"tag"}});
  Syntax::Fields fields(env, shape);
  baseFields(fields);
  return fields.text(token.text).make();
}

}  // namespace VEXA::Statement
