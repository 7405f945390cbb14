// The parse job: carries one parse call to a worker thread and back, then resolves its promise
// with {optimize, nodes, diagnostics}.
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
  NodeList nodes_;
};

}  // namespace VEXA::Addon::Parse

namespace VEXA::Addon {

// The result object. Stops at the first failed host call: during environment teardown every call
// fails, and going on would only pile up errors that can never be thrown.
Napi::Object Serialize(Napi::Env env, const NodeList& nodes,
                       const std::shared_ptr<Toolchain::Context>& context);

}  // namespace VEXA::Addon
