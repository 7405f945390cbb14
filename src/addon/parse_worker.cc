// The parse job.
#include "addon/parse_worker.h"

#include "addon/conversion.h"

namespace VEXA::Addon::Parse {

Worker::Worker(Napi::Env env, std::shared_ptr<const Toolchain::SourceText> source,
               std::shared_ptr<Toolchain::Context> context)
    : Napi::AsyncWorker(env, "Addon::Parse::Worker"),
      source_(std::move(source)),
      context_(std::move(context)) {
  if (napi_create_promise(env, &deferred_, &promise_) != napi_ok) {
    Napi::Error::New(env).ThrowAsJavaScriptException();
  }
}

void Worker::Execute() {
  // No JavaScript here: this runs on a pool thread.
  program_ = parseProgram(std::move(source_), std::move(context_));
}

void Worker::OnOK() {
  // The first slice runs at once; the conversion settles the promise, now or in a later turn.
  Conversion::Start(Env(), deferred_, std::move(program_));
}

}  // namespace VEXA::Addon::Parse
