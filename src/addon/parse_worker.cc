// The parse job and the source handoff.
#include "addon/parse_worker.h"

#include "addon/instance_data.h"
#include "addon/later.h"
#include "addon/parse_slots.h"
#include "addon/pool_release.h"
#include "parser/program.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace VEXA::Addon::Parse {

namespace {

// Words of records per chunk handed to the decoding: 1 MiB, a few milliseconds of decoding, so
// that the decoding starts early and the chunks stay few. Smaller first chunks do not bring small
// results sooner: each chunk more costs a wake-up of the JavaScript thread and a slice, and the
// young-generation collections that fall into the thread's idle wait for the job would fall into
// the decoding instead, with the result's objects alive (a first chunk of 16 KiB, doubling up to
// this, left parses of 10 and 100 KiB as slow as with whole chunks, and took a fifth to a third
// more of the JavaScript thread).
constexpr size_t kChunkWords = size_t{1} << 18;
// About what one reported diagnostic holds, with its arguments.
constexpr size_t kDiagnosticBytes = 128;

std::atomic<uint64_t> stoppedEarly{0};

}  // namespace

void Handoff::deliver(std::shared_ptr<const Toolchain::SourceText> source) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    source_ = std::move(source);
    delivered_ = true;
  }
  ready_.notify_all();
}

void Handoff::abandon() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
  }
  ready_.notify_all();
}

std::shared_ptr<const Toolchain::SourceText> Handoff::await(Watch& watch) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!delivered_ && !abandoned_) {
    // The copy runs in turns of the event loop, which stop when the environment goes away: the
    // wait looks at the watch every few milliseconds.
    ready_.wait_for(lock, std::chrono::milliseconds(5));
    if (delivered_ || abandoned_) break;
    lock.unlock();
    const bool gone = watch.gone();
    lock.lock();
    if (gone) return nullptr;
  }
  if (abandoned_) return nullptr;
  return std::move(source_);
}

bool Worker::Start(napi_env env, napi_deferred deferred, std::shared_ptr<Handoff> handoff,
                   std::shared_ptr<Toolchain::Context> context) {
  auto* worker = new Worker(Napi::Env(env), std::move(handoff), std::move(context));
  InstanceData& instance = InstanceData::Get(Napi::Env(env));
  if (instance.watch == nullptr) instance.watch = Watch::Create(env);
  worker->watch_ = instance.watch.get();
  if (worker->watch_ != nullptr) {
    // Made before the job can hand over its first chunk.
    Decoding::Create(env, deferred, worker->delivery_);
    worker->Queue();
  }
  bool pending = false;
  if (worker->watch_ == nullptr || napi_is_exception_pending(env, &pending) != napi_ok || pending) {
    if (!pending) napi_throw_error(env, nullptr, "cannot queue the parse");
    // Never queued, so nothing else will settle the promise: the caller's to settle.
    Decoding::Discard(env, *worker->delivery_);
    delete worker;
    return false;
  }
  return true;
}

Worker::Worker(Napi::Env env, std::shared_ptr<Handoff> handoff,
               std::shared_ptr<Toolchain::Context> context)
    : Napi::AsyncWorker(env, "Addon::Parse::Worker"),
      handoff_(std::move(handoff)),
      context_(std::move(context)),
      delivery_(std::make_shared<Delivery>()),
      chunkWords_(kChunkWords) {
  // Tests lower the limits to reach them with small sources, and the chunk size to cut small
  // results into many chunks.
  const Testing& testing = InstanceData::Get(env).testing;
  if (testing.textBytes != 0) limits_.textBytes = testing.textBytes;
  if (testing.textSize != 0) limits_.textSize = testing.textSize;
  if (testing.listCount != 0) limits_.listCount = testing.listCount;
  if (testing.chunkWords != 0) chunkWords_ = testing.chunkWords;
  hold_ = testing.holdParse;
}

uint64_t Worker::StoppedEarly() {
  return stoppedEarly.load();
}

void Worker::deliver(Syntax::CompactWriter& writer, bool last, uint32_t optimize) {
  std::vector<int32_t> spare;
  if (!last) {
    spare = delivery_->spare();
    spare.reserve(chunkWords_ + chunkWords_ / 4);
  }
  const uint32_t ticket = delivery_->push({writer.take(std::move(spare), last), last, optimize});
  // The last chunk wakes nobody: the job's completion follows at once and resumes the decoding
  // itself, a hop less for every small parse.
  if (ticket != 0) watch_->wake(ticket);
}

void Worker::Execute() {
  // No JavaScript here: this runs on a pool thread.
  std::shared_ptr<const Toolchain::SourceText> source = handoff_->await(*watch_);
  handoff_.reset();
  if (source == nullptr) {
    stopped_ = true;
    return;
  }
  const ParseSlot slot(*watch_);
  if (!slot.held()) return stopEarly();
  Watch* watch = watch_;
  // Once the encoding is refused (a limit passed) the rest of the source is not worth parsing.
  auto refused = std::make_shared<std::atomic<bool>>(false);
  if (hold_) {
    context_->setStop([watch] {
      while (!watch->gone()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return true;
    });
  } else {
    context_->setStop([watch, refused] { return refused->load() || watch->gone(); });
  }
  Syntax::CompactWriter writer(limits_);
  writer.reserve(std::min(Syntax::CompactWriter::estimate(source->bytes().size()),
                          chunkWords_ + chunkWords_ / 4));
  uint64_t nodes = 0;
  Program program =
      parseProgram(std::move(source), std::move(context_), [&](const Syntax::Node& node) {
        writer.add(node);
        ++nodes;
        if (writer.stream().size() < chunkWords_ || refused->load()) return;
        if (writer.failure() != nullptr) {
          refused->store(true);
          return;
        }
        deliver(writer, false, 0);
      });
  program_ = std::make_unique<Program>(std::move(program));
  // An incomplete result is no result.
  if (program_->outOfMemory) return SetError("out of memory");
  if (watch->gone()) return stopEarly();
  const auto& diagnostics = program_->context->diagnostics();
  const size_t reported = diagnostics.reported();
  for (size_t i = 0; i < reported; ++i) writer.add(diagnostics.entries()[i]);
  if (const std::string* failure = writer.failure()) return SetError(*failure);
  if (nodes > limits_.listCount || reported > limits_.listCount) {
    return SetError("the result holds a list of more than " + std::to_string(limits_.listCount) +
                    " elements");
  }
  deliver(writer, true, program_->context->optimization.mask());
}

void Worker::stopEarly() {
  stopped_ = true;
  stoppedEarly.fetch_add(1);
}

bool Worker::over() {
  // What is left of the parse (its context and diagnostics) is freed off the JavaScript thread
  // when it is large.
  const size_t reported = program_ ? program_->context->diagnostics().reported() : 0;
  ReleaseOnPool(Env(), std::move(program_), reported * kDiagnosticBytes);
  // A job that completes while the environment is torn down starts nothing: no JavaScript can
  // run, and the promise goes with the environment (and the decoding with its data).
  if (Sliced::Closing(Env())) return true;
  if (stopped_) {
    // The copy failed and settled the promise itself.
    Decoding::Discard(Env(), *delivery_);
    return true;
  }
  return false;
}

void Worker::OnOK() {
  if (over()) return;
  Decoding::JobEnded(Env(), *delivery_, "");
}

void Worker::OnError(const Napi::Error& error) {
  if (over()) return;
  Napi::Value message = error.Get("message");
  std::string text = message.IsString() ? message.As<Napi::String>().Utf8Value() : "";
  if (text.empty()) text = "the parse failed";
  Decoding::JobEnded(Env(), *delivery_, std::move(text));
}

}  // namespace VEXA::Addon::Parse
