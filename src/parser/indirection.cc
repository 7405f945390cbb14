// Indirection node serialisation.
#include "parser/indirection.h"

namespace VEXA::Syntax {

Napi::Object Indirection::serialize(Napi::Env env) const {
  static const Shape shape(valueShape(), {{"identifier"}, {"modifier"}});
  Fields fields(env, shape);
  valueFields(fields);
  return fields.text(token.text).integer(modifier).make();
}

}  // namespace VEXA::Syntax
