// Name node serialisation.
#include "parser/name.h"

namespace VEXA::Syntax {

Napi::Object Name::serialize(Napi::Env env) const {
  static const Shape shape(valueShape(), {{"identifier"}, {"fixed", Field::Optional}});
  Fields fields(env, shape);
  valueFields(fields);
  // A "#" name refers to a fixed resource; the text itself no longer shows the "#".
  return fields.text(token.text).flag(token.kind == Lexer::TokenKind::HashName).make();
}

}  // namespace VEXA::Syntax
