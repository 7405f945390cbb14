// Module registration and the `parse` entry: argument checks, rules, context, the source copy,
// and the parse job that runs the rest off the JavaScript thread; `install`, through which
// index.js hands over the result decoder (lib/decode.js).
#include "addon/instance_data.h"
#include "addon/keyword_registry.h"
#include "addon/keywords.h"
#include "addon/parse_worker.h"
#include "addon/read_rules.h"
#include "addon/source_copy.h"
#include "toolchain/context.h"
#include "toolchain/source_text.h"

#include <napi.h>

#include <memory>
#include <string>

namespace VEXA::Addon {

namespace {

Napi::Value ThrowType(Napi::Env env, const char* message) {
  Napi::TypeError::New(env, message).ThrowAsJavaScriptException();
  return env.Undefined();
}

Napi::Value ThrowLast(Napi::Env env) {
  Napi::Error::New(env).ThrowAsJavaScriptException();
  return env.Undefined();
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

  const char* data = nullptr;
  size_t size = 0;
  if (!Parse::SourceCopy::View(env, info[1], &data, &size)) return ThrowLast(env);
  // Small sources are copied now, as the caller expects of most calls; large ones over the next
  // turns (addon/source_copy.h).
  std::shared_ptr<const Toolchain::SourceText> source;
  if (size <= Parse::SourceCopy::kAtOnce) {
    source = Toolchain::SourceText::copy(data, size);
    if (source == nullptr) return ThrowLast(env);
  }

  std::string name = info[0].As<Napi::String>().Utf8Value();
  if (env.IsExceptionPending()) return env.Undefined();
  context->setName(std::move(name));

  int32_t reference = 0;
  if (napi_get_value_int32(env, info[2], &reference) != napi_ok) return ThrowLast(env);
  std::shared_ptr<const KeywordTable> keywords = KeywordRegistry::instance().find(reference);
  if (!keywords) {
    Napi::RangeError::New(env, "Unknown keywords reference " + std::to_string(reference) +
                                   ": no keyword table is registered under it")
        .ThrowAsJavaScriptException();
    return env.Undefined();
  }
  context->setKeywords(std::move(keywords));

  napi_deferred deferred = nullptr;
  napi_value promise = nullptr;
  if (napi_create_promise(env, &deferred, &promise) != napi_ok) return ThrowLast(env);
  // A promise that is never returned needs no settling: the engine drops it.
  if (source == nullptr) {
    if (!Parse::SourceCopy::Start(env, info[1], size, deferred, std::move(context))) {
      return env.Undefined();
    }
    return Napi::Value(env, promise);
  }
  auto* worker = new Parse::Worker(env, deferred, std::move(source), std::move(context));
  if (!env.IsExceptionPending()) worker->Queue();
  if (env.IsExceptionPending()) {
    // The job could not be set up; it was never queued, so nothing will ever settle it.
    delete worker;
    return env.Undefined();
  }
  return Napi::Value(env, promise);
}

// install(decoder): keeps decoder.start and decoder.step for the decodings of this environment.
Napi::Value InstallEntry(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (info.Length() < 1 || !info[0].IsObject()) return ThrowType(env, "Expected a decoder");
  Napi::Object decoder = info[0].As<Napi::Object>();
  Napi::Value start = decoder.Get("start");
  if (env.IsExceptionPending()) return env.Undefined();
  Napi::Value step = decoder.Get("step");
  if (env.IsExceptionPending()) return env.Undefined();
  if (!start.IsFunction() || !step.IsFunction()) return ThrowType(env, "Expected a decoder");
  InstanceData& instance = InstanceData::Get(env);
  instance.decoderStart = Napi::Persistent(start.As<Napi::Function>());
  instance.decoderStep = Napi::Persistent(step.As<Napi::Function>());
  if (info.Length() > 1 && info[1].IsBoolean() && !info[1].As<Napi::Boolean>().Value()) {
    instance.decoders.refuse();
  }
  return env.Undefined();
}

// utf8(buffer, offset, size): the string napi_create_string_utf8 makes of those bytes, so that
// texts that are not ASCII (invalid UTF-8 included) come out exactly as the engine decodes them.
Napi::Value Utf8Entry(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  void* data = nullptr;
  size_t length = 0;
  uint32_t offset = 0;
  uint32_t size = 0;
  if (info.Length() < 3 || napi_get_arraybuffer_info(env, info[0], &data, &length) != napi_ok ||
      napi_get_value_uint32(env, info[1], &offset) != napi_ok ||
      napi_get_value_uint32(env, info[2], &size) != napi_ok || offset > length ||
      size > length - offset) {
    Napi::RangeError::New(env, "Expected bytes within the buffer").ThrowAsJavaScriptException();
    return env.Undefined();
  }
  napi_value value = nullptr;
  if (napi_create_string_utf8(env, static_cast<const char*>(data) + offset, size, &value) !=
      napi_ok) {
    return ThrowLast(env);
  }
  return Napi::Value(env, value);
}

}  // namespace

Napi::Object Init(Napi::Env env, Napi::Object exports) {
  exports.Set("parse", Napi::Function::New<ParseEntry>(env, "parse"));
  Keywords::Init(env, exports);
  exports.Set("install", Napi::Function::New<InstallEntry>(env, "install"));
  InstanceData::Get(env).utf8 = Napi::Persistent(Napi::Function::New<Utf8Entry>(env, "utf8"));
  return exports;
}

}  // namespace VEXA::Addon

namespace {
Napi::Object RegisterModule(Napi::Env env, Napi::Object exports) {
  return VEXA::Addon::Init(env, exports);
}
}  // namespace

NODE_API_MODULE(vexa, RegisterModule)
