// Value node base serialisation.
#include "parser/value.h"

namespace VEXA::Syntax {

const Shape& Value::valueShape() {
  static const Shape shape(baseShape(), {{"key", Field::Optional}});
  return shape;
}

void Value::valueFields(Fields& fields) const {
  baseFields(fields);
  fields.optionalText(key != nullptr, key ? std::string_view(key->text) : std::string_view());
}

Napi::Object Value::serialize(Napi::Env env) const {
  Fields fields(env, valueShape());
  valueFields(fields);
  return fields.make();
}

}  // namespace VEXA::Syntax
