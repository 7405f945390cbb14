// The parse job and the result object builder.
#include "addon/parse_worker.h"

#include "addon/instance_data.h"
#include "addon/js_writer.h"

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
  program_ = parseProgram(std::move(source_), std::move(context_));
}

void Worker::OnOK() {
  napi_env env = Env();
  napi_value error = nullptr;
  napi_value result = Serialize(env, program_, &error);
  // Settles either way: a promise left pending would report a failure as nothing at all.
  if (result != nullptr) {
    deferred_.Resolve(Napi::Value(env, result));
  } else {
    if (error == nullptr) {
      error = Napi::Error::New(env, "the parse result could not be converted").Value();
    }
    deferred_.Reject(Napi::Value(env, error));
  }
}

}  // namespace VEXA::Addon::Parse

namespace VEXA::Addon {

napi_value Serialize(napi_env env, const Program& program, napi_value* error) {
  JsWriter writer(env, InstanceData::Get(env).layouts);
  const NodeList& nodes = program.nodes;
  const Toolchain::Diagnostics& diagnostics = program.context->diagnostics();
  auto failed = [&] {
    writer.fail();
    *error = writer.error();
    return nullptr;
  };

  napi_value result = nullptr;
  napi_value optimize = nullptr;
  napi_value list = nullptr;
  if (napi_create_object(env, &result) != napi_ok ||
      napi_create_uint32(env, program.context->optimization.mask(), &optimize) != napi_ok ||
      napi_set_named_property(env, result, "optimize", optimize) != napi_ok ||
      napi_create_array_with_length(env, nodes.size(), &list) != napi_ok) {
    return failed();
  }
  // Nodes are converted in chunks, each in its own handle scope, so that a large result does not
  // keep millions of handles alive at once; cached handles are dropped with each scope.
  constexpr size_t kChunk = 2048;
  auto convert = [&](napi_value array, size_t size, auto&& item) {
    for (size_t begin = 0; begin < size; begin += kChunk) {
      napi_handle_scope scope = nullptr;
      if (napi_open_handle_scope(env, &scope) != napi_ok) return false;
      bool ok = true;
      for (size_t i = begin; ok && i < std::min(size, begin + kChunk); ++i) {
        napi_value value = item(i);
        ok = value != nullptr &&
             napi_set_element(env, array, static_cast<uint32_t>(i), value) == napi_ok;
      }
      writer.forgetHandles();
      if (!ok) {
        // The error must outlive the scope it was made in: the writer keeps it by reference.
        writer.fail();
        napi_close_handle_scope(env, scope);
        return false;
      }
      if (napi_close_handle_scope(env, scope) != napi_ok) return false;
    }
    return true;
  };
  if (!convert(list, nodes.size(), [&](size_t i) { return writer.write(*nodes[i]); }) ||
      napi_set_named_property(env, result, "nodes", list) != napi_ok) {
    return failed();
  }
  const size_t reported = diagnostics.reported();
  napi_value reports = nullptr;
  if (napi_create_array_with_length(env, reported, &reports) != napi_ok ||
      !convert(reports, reported,
               [&](size_t i) { return writer.write(diagnostics.entries()[i]); }) ||
      napi_set_named_property(env, result, "diagnostics", reports) != napi_ok) {
    return failed();
  }
  return result;
}

}  // namespace VEXA::Addon
