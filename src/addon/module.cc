// Module registration and the `parse` entry: argument checks, rules, context, the source copy,
// and the parse job that runs the rest off the JavaScript thread; `install`, through which
// index.js hands over the result decoder (lib/decode.js).
#include "addon/instance_data.h"
#include "addon/keyword_registry.h"
#include "addon/keywords.h"
#include "addon/later.h"
#include "addon/parse_slots.h"
#include "addon/parse_worker.h"
#include "addon/pending.h"
#include "addon/read_rules.h"
#include "addon/source_copy.h"
#include "toolchain/context.h"
#include "toolchain/planned_failure.h"
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

// For a call that throws after its promise was made: the caller never sees that promise, so it is
// resolved (a rejection nobody can handle would be reported as unhandled), which frees the
// deferred; then the exception is thrown again.
Napi::Value Abandon(Napi::Env env, napi_deferred deferred) {
  napi_value exception = takePendingException(env);
  napi_value undefined = nullptr;
  napi_get_undefined(env, &undefined);
  napi_resolve_deferred(env, deferred, undefined);
  if (exception != nullptr) {
    napi_throw(env, exception);
  } else {
    napi_throw_error(env, nullptr, "cannot start the parse");
  }
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
  if (!Parse::SourceCopy::View(env, info[1], &data, &size)) {
    return ThrowType(env, "Expected a code-buffer");
  }
  // Small sources are copied now, as the caller expects of most calls; large ones over the next
  // turns (addon/source_copy.h).
  std::shared_ptr<const Toolchain::SourceText> source;
  if (size <= Toolchain::SourceText::kAtOnce) {
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
  // From here on the deferred must be settled on every path, or it stays allocated for good.
  if (Toolchain::PlannedFailure::plan().queue) {
    napi_throw_error(env, nullptr, "cannot queue the parse");
    return Abandon(env, deferred);
  }
  // The parse job is queued now whatever the size, so that pool jobs queued after this call never
  // delay it.
  auto handoff = std::make_shared<Parse::Handoff>();
  if (source != nullptr) handoff->deliver(std::move(source));
  if (!Parse::Worker::Start(env, deferred, handoff, std::move(context))) {
    return Abandon(env, deferred);
  }
  if (size > Toolchain::SourceText::kAtOnce &&
      !Parse::SourceCopy::Start(env, info[1], size, deferred, handoff)) {
    // The job waits for a source that never comes: let it go.
    handoff->abandon();
    return Abandon(env, deferred);
  }
  return Napi::Value(env, promise);
}

// install(decoder): keeps decoder.start, decoder.step, decoder.later and decoder.feed for the
// decodings and copies of this environment.
Napi::Value InstallEntry(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (info.Length() < 1 || !info[0].IsObject()) return ThrowType(env, "Expected a decoder");
  Napi::Object decoder = info[0].As<Napi::Object>();
  Napi::Value functions[4];
  const char* names[4] = {"start", "step", "later", "feed"};
  for (int i = 0; i < 4; ++i) {
    functions[i] = decoder.Get(names[i]);
    if (env.IsExceptionPending()) return env.Undefined();
    if (!functions[i].IsFunction()) return ThrowType(env, "Expected a decoder");
  }
  InstanceData& instance = InstanceData::Get(env);
  instance.decoderStart = Napi::Persistent(functions[0].As<Napi::Function>());
  instance.decoderStep = Napi::Persistent(functions[1].As<Napi::Function>());
  instance.later = Napi::Persistent(functions[2].As<Napi::Function>());
  instance.decoderFeed = Napi::Persistent(functions[3].As<Napi::Function>());
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

// resume(ticket): the later turn of the job waiting under the ticket (addon/later.h).
Napi::Value ResumeEntry(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  uint32_t ticket = 0;
  if (info.Length() < 1 || napi_get_value_uint32(env, info[0], &ticket) != napi_ok) {
    return ThrowType(env, "Expected a ticket");
  }
  if (Sliced* job = InstanceData::Get(env).take(ticket)) {
    if (Sliced::Closing(env)) {
      delete job;
    } else {
      job->slice();
    }
  }
  return env.Undefined();
}

Napi::Value ProbeEntry(const Napi::CallbackInfo& info) {
  return info.Env().Undefined();
}

// testing(settings): sets what tests may set (addon/instance_data.h) from the numbers present in
// `settings`, and the process-wide failure plan from its string `fail`
// (toolchain/planned_failure.h), and returns the settings and slice counts as they are now. Not
// exported by index.js: the package's callers never see it.
Napi::Value TestingEntry(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  Testing& testing = InstanceData::Get(env).testing;
  struct Field {
    const char* name;
    uint64_t* value;
  };
  uint64_t copyBytes = testing.copyBytes;
  uint64_t decodeUnits = testing.decodeUnits;
  const Field fields[] = {
      {"copyBytes", &copyBytes},         {"decodeUnits", &decodeUnits},
      {"textBytes", &testing.textBytes}, {"textSize", &testing.textSize},
      {"listCount", &testing.listCount}, {"chunkWords", &testing.chunkWords},
  };
  if (info.Length() > 0 && info[0].IsObject()) {
    Napi::Object settings = info[0].As<Napi::Object>();
    for (const Field& field : fields) {
      Napi::Value value = settings.Get(field.name);
      if (env.IsExceptionPending()) return env.Undefined();
      if (value.IsNumber())
        *field.value = static_cast<uint64_t>(value.As<Napi::Number>().Int64Value());
    }
    Napi::Value slots = settings.Get("parseSlots");
    if (env.IsExceptionPending()) return env.Undefined();
    if (slots.IsNumber()) {
      Parse::ParseSlots::SetCount(static_cast<size_t>(slots.As<Napi::Number>().Int64Value()));
    }
    Napi::Value hold = settings.Get("holdParse");
    if (env.IsExceptionPending()) return env.Undefined();
    if (hold.IsBoolean()) testing.holdParse = hold.As<Napi::Boolean>().Value();
    Napi::Value fail = settings.Get("fail");
    if (env.IsExceptionPending()) return env.Undefined();
    if (fail.IsString()) {
      const std::string plan = fail.As<Napi::String>().Utf8Value();
      if (env.IsExceptionPending()) return env.Undefined();
      Toolchain::PlannedFailure::set(plan);
    }
    testing.copyBytes = static_cast<size_t>(copyBytes);
    testing.decodeUnits = static_cast<uint32_t>(decodeUnits);
  }
  Napi::Object state = Napi::Object::New(env);
  for (const Field& field : fields) state.Set(field.name, static_cast<double>(*field.value));
  state.Set("copySlices", static_cast<double>(testing.copySlices));
  state.Set("decodeSlices", static_cast<double>(testing.decodeSlices));
  state.Set("texts", static_cast<double>(testing.texts));
  state.Set("holdParse", testing.holdParse);
  state.Set("parsesStoppedEarly", static_cast<double>(Parse::Worker::StoppedEarly()));
  state.Set("mostParsesAtOnce", static_cast<double>(Parse::ParseSlots::TakeMost()));
  return state;
}

}  // namespace

Napi::Object Init(Napi::Env env, Napi::Object exports) {
  exports.Set("parse", Napi::Function::New<ParseEntry>(env, "parse"));
  Keywords::Init(env, exports);
  exports.Set("install", Napi::Function::New<InstallEntry>(env, "install"));
  exports.Set("testing", Napi::Function::New<TestingEntry>(env, "testing"));
  InstanceData& instance = InstanceData::Get(env);
  instance.utf8 = Napi::Persistent(Napi::Function::New<Utf8Entry>(env, "utf8"));
  instance.resume = Napi::Persistent(Napi::Function::New<ResumeEntry>(env, "resume"));
  instance.probe = Napi::Persistent(Napi::Function::New<ProbeEntry>(env, "probe"));
  return exports;
}

}  // namespace VEXA::Addon

namespace {
Napi::Object RegisterModule(Napi::Env env, Napi::Object exports) {
  return VEXA::Addon::Init(env, exports);
}
}  // namespace

NODE_API_MODULE(vexa, RegisterModule)
