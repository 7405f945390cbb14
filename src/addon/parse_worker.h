// The parse job: carries one parse call to a worker thread and back, then settles its promise
// with {optimize, nodes, diagnostics}, or with the error that stopped the conversion.
#pragma once

#include "parser/program.h"
#include "toolchain/context.h"

#include <napi.h>

#include <istream>
#include <memory>

namespace VEXA::Addon::Parse {

class Worker final : public Napi::AsyncWorker {
 public:
  Worker(Napi::Env env, std::shared_ptr<std::istream> source,
         std::shared_ptr<Toolchain::Context> context);
  ~Worker() override = default;

  Napi::Promise promise() const { return deferred_.Promise(); }

 protected:
  void Execute() override;
  void OnOK() override;

 private:
  std::shared_ptr<std::istream> source_;
  std::shared_ptr<Toolchain::Context> context_;
  Napi::Promise::Deferred deferred_;
  Program program_;
};

}  // namespace VEXA::Addon::Parse

namespace VEXA::Addon {

// The result object, or null once a host call has failed; the conversion stops there (during
// environment teardown every call fails, and going on would only pile up errors), and `error`
// receives what went wrong.
napi_value Serialize(napi_env env, const Program& program, napi_value* error);

}  // namespace VEXA::Addon
