// The sliced source copy.
#include "addon/source_copy.h"

#include "addon/parse_worker.h"
#include "addon/pending.h"
#include "toolchain/source_text.h"

#include <napi.h>

#include <algorithm>
#include <cstring>

namespace VEXA::Addon::Parse {

namespace {

// Time one slice may take; the copy runs at memory speed, a few megabytes per millisecond.
constexpr auto kSliceBudget = std::chrono::milliseconds(4);
// Bytes copied between looks at the clock.
constexpr size_t kChunk = size_t{1} << 20;

size_t ElementSize(napi_typedarray_type type) {
  switch (type) {
    case napi_int8_array:
    case napi_uint8_array:
    case napi_uint8_clamped_array:
      return 1;
    case napi_int16_array:
    case napi_uint16_array:
      return 2;
    case napi_int32_array:
    case napi_uint32_array:
    case napi_float32_array:
      return 4;
    case napi_float64_array:
    case napi_bigint64_array:
    case napi_biguint64_array:
      return 8;
    default:
      // A kind newer than this code: its width is not known, so its bytes cannot be read.
      return 0;
  }
}

}  // namespace

bool SourceCopy::View(napi_env env, napi_value buffer, const char** data, size_t* size) {
  napi_typedarray_type type = napi_uint8_array;
  size_t length = 0;
  void* bytes = nullptr;
  if (napi_get_typedarray_info(env, buffer, &type, &length, &bytes, nullptr, nullptr) == napi_ok) {
    const size_t width = ElementSize(type);
    *data = static_cast<const char*>(bytes);
    *size = length * width;
    return width != 0;
  }
  // A DataView passes some hosts' buffer test but is no typed array.
  if (napi_get_dataview_info(env, buffer, &length, &bytes, nullptr, nullptr) == napi_ok) {
    *data = static_cast<const char*>(bytes);
    *size = length;
    return true;
  }
  return false;
}

bool SourceCopy::Start(napi_env env, napi_value buffer, size_t size, napi_deferred deferred,
                       std::shared_ptr<Toolchain::Context> context) {
  auto* self = new SourceCopy(env, size, deferred, std::move(context));
  if (napi_create_reference(env, buffer, 1, &self->buffer_) != napi_ok ||
      !self->queue(&SourceCopy::Allocate)) {
    bool pending = false;
    if (napi_is_exception_pending(env, &pending) != napi_ok || !pending) {
      napi_throw_error(env, nullptr, "cannot copy the source");
    }
    self->deferred_ = nullptr;
    delete self;
    return false;
  }
  return true;
}

SourceCopy::SourceCopy(napi_env env, size_t size, napi_deferred deferred,
                       std::shared_ptr<Toolchain::Context> context)
    : env_(env), size_(size), deferred_(deferred), context_(std::move(context)) {}

SourceCopy::~SourceCopy() {
  if (work_ != nullptr) napi_delete_async_work(env_, work_);
  if (buffer_ != nullptr) napi_delete_reference(env_, buffer_);
}

bool SourceCopy::queue(napi_async_execute_callback execute) {
  napi_value name = nullptr;
  return napi_create_string_latin1(env_, "Addon::Parse::SourceCopy", NAPI_AUTO_LENGTH, &name) ==
             napi_ok &&
         napi_create_async_work(env_, nullptr, name, execute, &SourceCopy::Resume, this, &work_) ==
             napi_ok &&
         napi_queue_async_work(env_, work_) == napi_ok;
}

void SourceCopy::Allocate(napi_env, void* data) {
  // On a pool thread: touching every page of fresh memory costs more than the copy, so the slices
  // on the JavaScript thread only copy.
  auto* self = static_cast<SourceCopy*>(data);
  self->text_ = Toolchain::SourceText::allocate(self->size_);
  if (self->text_ != nullptr) std::memset(self->text_->fill(), 0, self->size_);
}

void SourceCopy::Idle(napi_env, void*) {
  // Nothing to do off the JavaScript thread: the work item is only the way to the next turn.
}

void SourceCopy::Resume(napi_env env, napi_status status, void* data) {
  auto* self = static_cast<SourceCopy*>(data);
  napi_delete_async_work(env, self->work_);
  self->work_ = nullptr;
  // Nothing cancels the work item; any other status means the environment is going away.
  if (status != napi_ok) return self->reject("the environment is shutting down");
  self->slice();
}

void SourceCopy::slice() {
  if (text_ == nullptr) return reject("out of memory for the source");
  napi_value buffer = nullptr;
  const char* data = nullptr;
  size_t size = 0;
  if (napi_get_reference_value(env_, buffer_, &buffer) != napi_ok || buffer == nullptr ||
      !View(env_, buffer, &data, &size) || size != size_ || data == nullptr) {
    return reject("the source buffer was detached or resized before it was copied");
  }
  const Clock::time_point deadline = Clock::now() + kSliceBudget;
  while (copied_ < size_) {
    const size_t chunk = std::min(kChunk, size_ - copied_);
    std::memcpy(text_->fill() + copied_, data + copied_, chunk);
    copied_ += chunk;
    if (copied_ < size_ && Clock::now() >= deadline) {
      if (!queue(&SourceCopy::Idle)) return reject("cannot copy the source");
      return;
    }
  }
  napi_delete_reference(env_, buffer_);
  buffer_ = nullptr;
  std::shared_ptr<const Toolchain::SourceText> source = std::move(text_);
  auto* worker = new Worker(Napi::Env(env_), deferred_, std::move(source), std::move(context_));
  if (!Napi::Env(env_).IsExceptionPending()) worker->Queue();
  if (Napi::Env(env_).IsExceptionPending()) {
    // Never queued, so nothing else will settle the promise.
    delete worker;
    return reject("cannot queue the parse");
  }
  delete this;
}

void SourceCopy::reject(const char* message) {
  napi_value pending = takePendingException(env_);
  napi_value error = pending;
  if (error == nullptr) error = Napi::Error::New(env_, message).Value();
  napi_reject_deferred(env_, deferred_, error);
  delete this;
}

}  // namespace VEXA::Addon::Parse
