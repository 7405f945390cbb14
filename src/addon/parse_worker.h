// The parse job: parses one source on a worker thread and encodes the result there into the
// compact form (syntax/compact_writer.h), text table included; then hands the encoding to the
// sliced decoding (addon/decoding.h), which settles the promise, and the nodes to another pool
// thread to free. A result past a limit of the encoding rejects the promise with the limit's name.
//
// The job is queued when `parse` is called, also for a source still being copied over the next
// turns (addon/source_copy.h): it then waits on its pool thread for the copy to hand the source
// over, so that pool jobs queued after the call never delay the parse.
#pragma once

#include "addon/decoding.h"
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
  // Queues the parse of the source `handoff` delivers; `deferred` is settled by the decoding, or
  // by this job if it fails. False (an exception pending) when the job could not be set up.
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
  Worker(Napi::Env env, napi_deferred deferred, std::shared_ptr<Handoff> handoff,
         std::shared_ptr<Toolchain::Context> context);
  void stopEarly();
  // Back on the JavaScript thread: true when nothing may be settled or started any more.
  bool over();

  std::shared_ptr<Handoff> handoff_;
  std::shared_ptr<Toolchain::Context> context_;
  napi_deferred deferred_;
  Watch* watch_ = nullptr;
  Syntax::CompactWriter::Limits limits_;
  Encoded encoded_;
  std::unique_ptr<Program> program_;
  // Bytes of the source parsed: the nodes take a multiple of it.
  size_t sourceBytes_ = 0;
  // No source came (the copy settled the promise), or the environment is going away.
  bool stopped_ = false;
  bool hold_ = false;
};

}  // namespace VEXA::Addon::Parse
