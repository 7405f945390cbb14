// Module registration and the `parse` entry: argument checks, rules, context, source copy, and
// the parse job that runs the rest off the JavaScript thread.
#include "addon/keyword_registry.h"
#include "addon/keywords.h"
#include "addon/parse_worker.h"
#include "addon/read_rules.h"
#include "toolchain/context.h"
#include "toolchain/source_text.h"

#include <napi.h>

#include <memory>
#include <string>

namespace VEXA::Addon {

namespace {

size_t ElementSize(napi_typedarray_type type) {
  switch (type) {
    case napi_int8_array:
    case napi_uint8_array:
    case napi_uint8_clamped_array:
      return 1;
    case napi_int16_array:
    case napi_uint16_array:
      return 2;
    case napi_int32_array:
    case napi_uint32_array:
    case napi_float32_array:
      return 4;
    case napi_float64_array:
    case napi_bigint64_array:
    case napi_biguint64_array:
      return 8;
    default:
      // Kinds newer than this code (16-bit floats) are two bytes wide.
      return 2;
  }
}

Napi::Value ThrowType(Napi::Env env, const char* message) {
  Napi::TypeError::New(env, message).ThrowAsJavaScriptException();
  return env.Undefined();
}

Napi::Value ThrowLast(Napi::Env env) {
  Napi::Error::New(env).ThrowAsJavaScriptException();
  return env.Undefined();
}

// Copies the bytes of a Buffer (or any typed array view the host calls a buffer) once.
bool CopySource(Napi::Env env, napi_value buffer,
                std::shared_ptr<const Toolchain::SourceText>& bytes) {
  napi_typedarray_type type = napi_uint8_array;
  size_t length = 0;
  void* data = nullptr;
  if (napi_get_typedarray_info(env, buffer, &type, &length, &data, nullptr, nullptr) == napi_ok) {
    const size_t size = length * ElementSize(type);
    bytes = Toolchain::SourceText::copy(static_cast<const char*>(data), size);
    return bytes != nullptr;
  }
  // A DataView passes some hosts' buffer test but is no typed array.
  if (napi_get_dataview_info(env, buffer, &length, &data, nullptr, nullptr) == napi_ok) {
    bytes = Toolchain::SourceText::copy(static_cast<const char*>(data), length);
    return bytes != nullptr;
  }
  return false;
}

Napi::Value ParseEntry(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (info.Length() < 4) {
    Napi::RangeError::New(env, "Expected four arguments").ThrowAsJavaScriptException();
    return env.Undefined();
  }
  if (!info[0].IsString()) return ThrowType(env, "Expected a target name");
  bool isBuffer = false;
  if (napi_is_buffer(env, info[1], &isBuffer) != napi_ok || !isBuffer) {
    return ThrowType(env, "Expected a code-buffer");
  }
  if (!info[2].IsNumber()) return ThrowType(env, "Expected a keywords reference");
  if (!info[3].IsObject() && !info[3].IsFunction()) {
    return ThrowType(env, "Expected some compilation rules");
  }

  std::shared_ptr<Toolchain::Rules> rules = ReadRules(env, info[3].As<Napi::Object>());
  if (env.IsExceptionPending()) return env.Undefined();
  auto context = std::make_shared<Toolchain::Context>("<anonymous>", rules);

  std::shared_ptr<const Toolchain::SourceText> source;
  if (!CopySource(env, info[1], source)) return ThrowLast(env);

  std::string name = info[0].As<Napi::String>().Utf8Value();
  if (env.IsExceptionPending()) return env.Undefined();
  context->setName(std::move(name));

  int32_t reference = 0;
  if (napi_get_value_int32(env, info[2], &reference) != napi_ok) return ThrowLast(env);
  std::shared_ptr<const KeywordTable> keywords = KeywordRegistry::instance().find(reference);
  if (!keywords) {
    Napi::Error::New(env, "Unknown keywords reference " + std::to_string(reference) +
                              ": no keyword table is registered under it")
        .ThrowAsJavaScriptException();
    return env.Undefined();
  }
  context->setKeywords(std::move(keywords));

  auto* worker = new Parse::Worker(env, std::move(source), std::move(context));
  if (env.IsExceptionPending()) {
    // The job could not be set up; it was never queued, so nothing will ever settle it.
    delete worker;
    return env.Undefined();
  }
  Napi::Value promise(env, worker->promise());
  worker->Queue();
  if (env.IsExceptionPending()) {
    delete worker;
    return env.Undefined();
  }
  return promise;
}

}  // namespace

Napi::Object Init(Napi::Env env, Napi::Object exports) {
  exports.Set("parse", Napi::Function::New<ParseEntry>(env, "parse"));
  Keywords::Init(env, exports);
  return exports;
}

}  // namespace VEXA::Addon

namespace {
Napi::Object RegisterModule(Napi::Env env, Napi::Object exports) {
  return VEXA::Addon::Init(env, exports);
}
}  // namespace

NODE_API_MODULE(vexa, RegisterModule)
