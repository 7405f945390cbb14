// The parse job.
#include "addon/parse_worker.h"

#include "addon/decoding.h"
#include "addon/pool_release.h"
#include "parser/program.h"

namespace VEXA::Addon::Parse {

Worker::Worker(Napi::Env env, napi_deferred deferred,
               std::shared_ptr<const Toolchain::SourceText> source,
               std::shared_ptr<Toolchain::Context> context)
    : Napi::AsyncWorker(env, "Addon::Parse::Worker"),
      source_(std::move(source)),
      context_(std::move(context)),
      deferred_(deferred) {}

void Worker::Execute() {
  // No JavaScript here: this runs on a pool thread.
  const size_t size = source_ != nullptr ? source_->bytes().size() : 0;
  Program program = parseProgram(std::move(source_), std::move(context_));
  // An incomplete result is no result: the nodes go here, off the JavaScript thread.
  if (program.outOfMemory) return SetError("out of memory");
  encoded_ = std::make_unique<Syntax::CompactWriter>();
  encoded_->reserve(Syntax::CompactWriter::estimate(size));
  for (const auto& node : program.nodes) encoded_->add(*node);
  const auto& diagnostics = program.context->diagnostics();
  const size_t reported = diagnostics.reported();
  for (size_t i = 0; i < reported; ++i) encoded_->add(diagnostics.entries()[i]);
  optimize_ = program.context->optimization.mask();
  nodes_ = static_cast<uint32_t>(program.nodes.size());
  diagnostics_ = static_cast<uint32_t>(reported);
  program_ = std::make_unique<Program>(std::move(program));
}

void Worker::OnOK() {
  // The nodes are freed on another pool thread while the JavaScript thread decodes: freeing them
  // here first would delay the result by as long as a good part of the encoding takes.
  ReleaseOnPool(Env(), std::move(program_));
  // The first slice runs at once; the decoding settles the promise, now or in a later turn.
  Decoding::Start(Env(), deferred_, std::move(encoded_), optimize_, nodes_, diagnostics_);
}

void Worker::OnError(const Napi::Error& error) {
  napi_reject_deferred(Env(), deferred_, error.Value());
}

}  // namespace VEXA::Addon::Parse
