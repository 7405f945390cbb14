// Base node serialisation.
#include "toolchain/node.h"

namespace VEXA::Syntax {

const Shape& Node::baseShape() {
  static const Shape shape{{"range", Field::Range}, {"type"}, {"filePath", Field::Optional}};
  return shape;
}

void Node::baseFields(Fields& fields) const {
  fields.range(token.range).integer(type);
  // Sources parsed without a name carry no path at all.
  fields.optionalPath(token.filePath != "<anonymous>", token.filePath);
}

Napi::Object Node::serialize(Napi::Env env) const {
  Fields fields(env, baseShape());
  baseFields(fields);
  return fields.make();
}

}  // namespace VEXA::Syntax
