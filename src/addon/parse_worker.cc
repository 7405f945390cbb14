// The parse job and the source handoff.
#include "addon/parse_worker.h"

#include "addon/instance_data.h"
#include "addon/later.h"
#include "addon/pool_release.h"
#include "parser/program.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace VEXA::Addon::Parse {

namespace {

// Nodes encoded between looks at the watch.
constexpr size_t kStopCheckEvery = 4096;
// Bytes of nodes per byte of source, at most: the node arena takes about 11 in typical sources.
constexpr size_t kNodeBytesPerSourceByte = 16;

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
  auto* worker = new Worker(Napi::Env(env), deferred, std::move(handoff), std::move(context));
  InstanceData& instance = InstanceData::Get(Napi::Env(env));
  if (instance.watch == nullptr) instance.watch = Watch::Create(env);
  worker->watch_ = instance.watch.get();
  if (worker->watch_ != nullptr) worker->Queue();
  bool pending = false;
  if (worker->watch_ == nullptr || napi_is_exception_pending(env, &pending) != napi_ok || pending) {
    if (!pending) napi_throw_error(env, nullptr, "cannot queue the parse");
    // Never queued, so nothing else will settle the promise: the caller's to settle.
    delete worker;
    return false;
  }
  return true;
}

Worker::Worker(Napi::Env env, napi_deferred deferred, std::shared_ptr<Handoff> handoff,
               std::shared_ptr<Toolchain::Context> context)
    : Napi::AsyncWorker(env, "Addon::Parse::Worker"),
      handoff_(std::move(handoff)),
      context_(std::move(context)),
      deferred_(deferred) {
  // Tests lower the limits to reach them with small sources.
  const Testing& testing = InstanceData::Get(env).testing;
  if (testing.textBytes != 0) limits_.textBytes = testing.textBytes;
  if (testing.textSize != 0) limits_.textSize = testing.textSize;
  if (testing.listCount != 0) limits_.listCount = testing.listCount;
  hold_ = testing.holdParse;
}

uint64_t Worker::StoppedEarly() {
  return stoppedEarly.load();
}

void Worker::Execute() {
  // No JavaScript here: this runs on a pool thread.
  std::shared_ptr<const Toolchain::SourceText> source = handoff_->await(*watch_);
  handoff_.reset();
  if (source == nullptr) {
    stopped_ = true;
    return;
  }
  Watch* watch = watch_;
  if (hold_) {
    context_->setStop([watch] {
      while (!watch->gone()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return true;
    });
  } else {
    context_->setStop([watch] { return watch->gone(); });
  }
  const size_t size = source->bytes().size();
  sourceBytes_ = size;
  Program program = parseProgram(std::move(source), std::move(context_));
  program_ = std::make_unique<Program>(std::move(program));
  // An incomplete result is no result; the nodes are freed off the JavaScript thread (`over`).
  if (program_->outOfMemory) return SetError("out of memory");
  if (watch->gone()) return stopEarly();
  auto writer = std::make_unique<Syntax::CompactWriter>(limits_);
  writer->reserve(Syntax::CompactWriter::estimate(size));
  size_t encoded = 0;
  for (const auto& node : program_->nodes) {
    writer->add(*node);
    if (++encoded % kStopCheckEvery == 0 && watch->gone()) return stopEarly();
  }
  const auto& diagnostics = program_->context->diagnostics();
  const size_t reported = diagnostics.reported();
  for (size_t i = 0; i < reported; ++i) writer->add(diagnostics.entries()[i]);
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

void Worker::stopEarly() {
  stopped_ = true;
  stoppedEarly.fetch_add(1);
}

bool Worker::over() {
  // The nodes are freed on another pool thread while the JavaScript thread decodes: freeing them
  // here first would delay the result by as long as a good part of the encoding takes.
  ReleaseOnPool(Env(), std::move(program_), sourceBytes_ * kNodeBytesPerSourceByte);
  // A job that completes while the environment is torn down starts nothing: no JavaScript can
  // run, and the promise goes with the environment.
  if (stopped_ || Sliced::Closing(Env())) {
    const size_t footprint = encoded_.footprint();
    ReleaseOnPool(Env(), std::move(encoded_), footprint);
    return true;
  }
  return false;
}

void Worker::OnOK() {
  if (over()) return;
  // The first slice runs at once; the decoding settles the promise, now or in a later turn.
  Decoding::Start(Env(), deferred_, std::move(encoded_));
}

void Worker::OnError(const Napi::Error& error) {
  if (over()) return;
  napi_reject_deferred(Env(), deferred_, error.Value());
}

}  // namespace VEXA::Addon::Parse
