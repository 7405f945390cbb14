// The parse job: carries one parse call to a worker thread, then hands the result to a sliced
// conversion (addon/conversion.h), which settles the promise.
#pragma once

#include "parser/program.h"
#include "toolchain/context.h"
#include "toolchain/source_text.h"

#include <napi.h>

#include <memory>
#include <string>

namespace VEXA::Addon::Parse {

class Worker final : public Napi::AsyncWorker {
 public:
  // Leaves an exception pending when the promise cannot be made.
  Worker(Napi::Env env, std::shared_ptr<const Toolchain::SourceText> source,
         std::shared_ptr<Toolchain::Context> context);
  ~Worker() override = default;

  // The promise, as a handle of the scope the worker was made in.
  napi_value promise() const { return promise_; }

 protected:
  void Execute() override;
  void OnOK() override;

 private:
  std::shared_ptr<const Toolchain::SourceText> source_;
  std::shared_ptr<Toolchain::Context> context_;
  // Settled by the conversion, which outlives this job.
  napi_deferred deferred_ = nullptr;
  napi_value promise_ = nullptr;
  Program program_;
};

}  // namespace VEXA::Addon::Parse
