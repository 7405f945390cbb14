// The parse job: parses one source on a worker thread and encodes the result there into the
// compact form (syntax/compact_writer.h); then hands the encoding to the sliced decoding
// (addon/decoding.h), which settles the promise, and the nodes to another pool thread to free.
#pragma once

#include "parser/program.h"
#include "syntax/compact_writer.h"
#include "toolchain/context.h"
#include "toolchain/source_text.h"

#include <napi.h>

#include <cstdint>
#include <memory>

namespace VEXA::Addon::Parse {

class Worker final : public Napi::AsyncWorker {
 public:
  // `deferred` is settled by the decoding, or by this job if it fails.
  Worker(Napi::Env env, napi_deferred deferred, std::shared_ptr<const Toolchain::SourceText> source,
         std::shared_ptr<Toolchain::Context> context);
  ~Worker() override = default;

 protected:
  void Execute() override;
  void OnOK() override;
  // Only a parse that ran out of memory fails.
  void OnError(const Napi::Error& error) override;

 private:
  std::shared_ptr<const Toolchain::SourceText> source_;
  std::shared_ptr<Toolchain::Context> context_;
  napi_deferred deferred_;
  std::unique_ptr<Syntax::CompactWriter> encoded_;
  std::unique_ptr<Program> program_;
  uint32_t optimize_ = 0;
  uint32_t nodes_ = 0;
  uint32_t diagnostics_ = 0;
};

}  // namespace VEXA::Addon::Parse
