// Instruction node serialisation.
#include "instruction/instruction.h"

namespace VEXA {

Napi::Object Instruction::serialize(Napi::Env env) const {
  static const Syntax::Shape shape(baseShape(), {{"extended", Syntax::Field::Optional},
                                                 {"name"},
                                                 {"precode"},
                                                 {"operands", Syntax::Field::Rest}});
  Syntax::Fields fields(env, shape);
  baseFields(fields);
  fields.flag(extended).text(token.text).integer(precode);
  for (const auto& operand : operands) fields.element(operand->serialize(env));
  return fields.make();
}

}  // namespace VEXA
