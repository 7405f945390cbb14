// Register node serialisation.
#include "parser/register.h"

namespace VEXA::Syntax {

Napi::Object Register::serialize(Napi::Env env) const {
  static const Shape shape(valueShape(), {{"character"}});
  Fields fields(env, shape);
  valueFields(fields);
  return fields.text(token.text).make();
}

}  // namespace VEXA::Syntax
