// The parse job.
#include "addon/parse_worker.h"

#include "addon/instance_data.h"
#include "addon/later.h"
#include "addon/pool_release.h"
#include "parser/program.h"

namespace VEXA::Addon::Parse {

Worker::Worker(Napi::Env env, napi_deferred deferred,
               std::shared_ptr<const Toolchain::SourceText> source,
               std::shared_ptr<Toolchain::Context> context)
    : Napi::AsyncWorker(env, "Addon::Parse::Worker"),
      source_(std::move(source)),
      context_(std::move(context)),
      deferred_(deferred) {
  // Tests lower the limits to reach them with small sources.
  const Testing& testing = InstanceData::Get(env).testing;
  if (testing.textBytes != 0) limits_.textBytes = testing.textBytes;
  if (testing.textSize != 0) limits_.textSize = testing.textSize;
  if (testing.listCount != 0) limits_.listCount = testing.listCount;
}

void Worker::Execute() {
  // No JavaScript here: this runs on a pool thread.
  const size_t size = source_ != nullptr ? source_->bytes().size() : 0;
  Program program = parseProgram(std::move(source_), std::move(context_));
  auto writer = std::make_unique<Syntax::CompactWriter>(limits_);
  writer->reserve(Syntax::CompactWriter::estimate(size));
  for (const auto& node : program.nodes) writer->add(*node);
  const auto& diagnostics = program.context->diagnostics();
  const size_t reported = diagnostics.reported();
  for (size_t i = 0; i < reported; ++i) writer->add(diagnostics.entries()[i]);
  program_ = std::make_unique<Program>(std::move(program));
  if (const std::string* failure = writer->failure()) return SetError(*failure);
  if (program_->nodes.size() > limits_.listCount || reported > limits_.listCount) {
    return SetError("the result holds a list of more than " + std::to_string(limits_.listCount) +
                    " elements");
  }
  // The text table as the decoder reads it, made here rather than on the JavaScript thread.
  const auto& texts = writer->texts();
  encoded_.texts.reserve(3 * texts.size());
  for (const auto& text : texts) {
    encoded_.texts.push_back(text.offset);
    encoded_.texts.push_back(text.size);
    encoded_.texts.push_back(text.ascii ? 1 : 0);
  }
  encoded_.writer = std::move(writer);
  encoded_.optimize = program_->context->optimization.mask();
  encoded_.nodes = static_cast<uint32_t>(program_->nodes.size());
  encoded_.diagnostics = static_cast<uint32_t>(reported);
}

void Worker::OnOK() {
  // The nodes are freed on another pool thread while the JavaScript thread decodes: freeing them
  // here first would delay the result by as long as a good part of the encoding takes.
  ReleaseOnPool(Env(), std::move(program_));
  // A job that completes while the environment is torn down starts nothing: no JavaScript can
  // run, and the promise goes with the environment.
  if (Sliced::Closing(Env())) {
    ReleaseOnPool(Env(), std::move(encoded_));
    return;
  }
  // The first slice runs at once; the decoding settles the promise, now or in a later turn.
  Decoding::Start(Env(), deferred_, std::move(encoded_));
}

void Worker::OnError(const Napi::Error& error) {
  ReleaseOnPool(Env(), std::move(program_));
  if (Sliced::Closing(Env())) return;
  napi_reject_deferred(Env(), deferred_, error.Value());
}

}  // namespace VEXA::Addon::Parse
