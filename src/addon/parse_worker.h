// The parse job: parses one source on a worker thread and encodes each top-level node into the
// compact form (syntax/compact_writer.h) as soon as it is parsed, while it is still in the cache;
// its memory is then reused for the next statements. The encoding goes in chunks to the sliced
// decoding (addon/decoding.h), which decodes one chunk while the job writes the next and settles
// the promise. A result past a limit of the encoding rejects the promise with the limit's name.
//
// The job is queued when `parse` is called, also for a source still being copied over the next
// turns (addon/source_copy.h): it then waits on its pool thread for the copy to hand the source
// over, so that pool jobs queued after the call never delay the parse.
#pragma once

#include "addon/decoding.h"
#include "addon/delivery.h"
#include "addon/watch.h"
#include "parser/program.h"
#include "syntax/compact_writer.h"
#include "toolchain/context.h"
#include "toolchain/source_text.h"

#include <napi.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace VEXA::Addon::Parse {

// The source, from the copy to the parse job.
class Handoff {
 public:
  void deliver(std::shared_ptr<const Toolchain::SourceText> source);
  // The copy failed and settled the promise itself.
  void abandon();
  // On the job's thread: the source; null when the copy was abandoned or the environment is
  // going away.
  std::shared_ptr<const Toolchain::SourceText> await(Watch& watch);

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  bool delivered_ = false;
  bool abandoned_ = false;
  std::shared_ptr<const Toolchain::SourceText> source_;
};

class Worker final : public Napi::AsyncWorker {
 public:
  // Queues the parse of the source `handoff` delivers, and makes the decoding that settles
  // `deferred`. False (an exception pending) when the job could not be set up: `deferred` is then
  // the caller's to settle.
  static bool Start(napi_env env, napi_deferred deferred, std::shared_ptr<Handoff> handoff,
                    std::shared_ptr<Toolchain::Context> context);
  ~Worker() override = default;
  // Parses, in every environment, that stopped early because their environment went away.
  static uint64_t StoppedEarly();

 protected:
  void Execute() override;
  void OnOK() override;
  void OnError(const Napi::Error& error) override;

 private:
  Worker(Napi::Env env, std::shared_ptr<Handoff> handoff,
         std::shared_ptr<Toolchain::Context> context);
  // Hands what was encoded so far to the decoding, waking it if it waits.
  void deliver(Syntax::CompactWriter& writer, bool last, uint32_t optimize);
  void stopEarly();
  // Back on the JavaScript thread: true when nothing may be settled or started any more.
  bool over();

  std::shared_ptr<Handoff> handoff_;
  std::shared_ptr<Toolchain::Context> context_;
  std::shared_ptr<Delivery> delivery_;
  Watch* watch_ = nullptr;
  Syntax::CompactWriter::Limits limits_;
  // Words of records per chunk.
  size_t chunkWords_;
  std::unique_ptr<Program> program_;
  // No source came (the copy settled the promise), or the environment is going away.
  bool stopped_ = false;
  bool hold_ = false;
};

}  // namespace VEXA::Addon::Parse
