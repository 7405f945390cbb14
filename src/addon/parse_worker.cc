// The parse job and the result object builder.
#include "addon/parse_worker.h"

#include "addon/instance_data.h"
#include "toolchain/object_shape.h"

#include <algorithm>

namespace VEXA::Addon::Parse {

Worker::Worker(Napi::Env env, std::shared_ptr<std::istream> source,
               std::shared_ptr<Toolchain::Context> context)
    : Napi::AsyncWorker(env, "Addon::Parse::Worker"),
      source_(std::move(source)),
      context_(std::move(context)),
      deferred_(Napi::Promise::Deferred::New(env)) {}

void Worker::Execute() {
  // No JavaScript here: this runs on a pool thread.
  nodes_ = parseProgram(source_, context_);
}

void Worker::OnOK() {
  Napi::Env env = Env();
  Napi::Object result = Serialize(env, nodes_, context_);
  if (env.IsExceptionPending() || result.IsEmpty()) return;
  deferred_.Resolve(result);
}

}  // namespace VEXA::Addon::Parse

namespace VEXA::Addon {

Napi::Object Serialize(Napi::Env env, const NodeList& nodes,
                       const std::shared_ptr<Toolchain::Context>& context) {
  Syntax::Conversion conversion(env, InstanceData::Get(env).factories);
  // Each failed host call throws the host's error once and ends the conversion.
  auto set = [&](napi_value object, const char* name, napi_value value) {
    if (napi_set_named_property(env, object, name, value) == napi_ok) return true;
    conversion.fail();
    return false;
  };
  napi_value result = nullptr;
  napi_value list = nullptr;
  if (napi_create_object(env, &result) != napi_ok ||
      !set(result, "optimize", conversion.uint32(context->optimization.mask())) ||
      napi_create_array_with_length(env, nodes.size(), &list) != napi_ok) {
    if (!conversion.failed()) conversion.fail();
    return Napi::Object();
  }
  // Nodes are converted in chunks, each in its own handle scope, so that a large result does not
  // keep millions of handles alive at once; cached handles are dropped with each scope.
  constexpr size_t kChunk = 2048;
  for (size_t begin = 0; begin < nodes.size(); begin += kChunk) {
    {
      Napi::HandleScope scope(env);
      const size_t end = std::min(nodes.size(), begin + kChunk);
      for (size_t i = begin; i < end; ++i) {
        Napi::Object node = nodes[i]->serialize(env);
        if (conversion.failed() || node.IsEmpty() ||
            napi_set_element(env, list, static_cast<uint32_t>(i), node) != napi_ok) {
          if (!conversion.failed()) conversion.fail();
          return Napi::Object();
        }
      }
    }
    conversion.forgetHandles();
  }
  if (!set(result, "nodes", list)) return Napi::Object();

  Napi::Array diagnostics = context->diagnostics().serialize(env);
  if (env.IsExceptionPending() || !set(result, "diagnostics", diagnostics)) {
    return Napi::Object();
  }
  return Napi::Object(env, result);
}

}  // namespace VEXA::Addon
