// Instruction node serialisation.
#include "instruction/instruction.h"

namespace VEXA {

Napi::Object Instruction::serialize(Napi::Env env) const {
  Napi::Object object = Node::serialize(env);
  if (extended) object.Set("extended", Napi::Boolean::New(env, true));
  object.Set("name", Napi::String::New(env, token.text));
  object.Set("precode", Napi::Number::New(env, precode));
  Napi::Array list = Napi::Array::New(env, operands.size());
  for (size_t i = 0; i < operands.size(); ++i) {
    list.Set(static_cast<uint32_t>(i), operands[i]->serialize(env));
  }
  object.Set("operands", list);
  return object;
}

}  // namespace VEXA
