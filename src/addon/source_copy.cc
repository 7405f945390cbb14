// The sliced source copy.
#include "addon/source_copy.h"

#include "addon/instance_data.h"
#include "addon/pending.h"
#include "toolchain/source_text.h"

#include <napi.h>

#include <algorithm>
#include <cstring>

namespace VEXA::Addon::Parse {

namespace {

// Time one slice may take; the copy runs at memory speed, a megabyte or more per millisecond
// (fresh pages included).
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
                       std::shared_ptr<Handoff> handoff) {
  auto* self = new SourceCopy(env, size, deferred, std::move(handoff));
  if (napi_create_reference(env, buffer, 1, &self->buffer_) != napi_ok) {
    bool pending = false;
    if (napi_is_exception_pending(env, &pending) != napi_ok || !pending) {
      napi_throw_error(env, nullptr, "cannot copy the source");
    }
    self->deferred_ = nullptr;
    delete self;
    return false;
  }
  // Mapped now, untouched (address space only); each slice's copy touches the pages it fills.
  self->text_ = Toolchain::SourceText::allocate(size);
  if (self->text_ == nullptr) {
    self->reject("out of memory for the source");
  } else if (!self->later()) {
    self->reject("cannot copy the source");
  }
  return true;
}

SourceCopy::SourceCopy(napi_env env, size_t size, napi_deferred deferred,
                       std::shared_ptr<Handoff> handoff)
    : Sliced(env), size_(size), deferred_(deferred), handoff_(std::move(handoff)) {}

SourceCopy::~SourceCopy() {
  if (buffer_ != nullptr) napi_delete_reference(env_, buffer_);
  // Unfinished (rejected, or freed with its environment): the parse job must not wait on.
  if (handoff_ != nullptr) handoff_->abandon();
}

void SourceCopy::slice() {
  InstanceData& instance = InstanceData::Get(Napi::Env(env_));
  ++instance.testing.copySlices;
  napi_value buffer = nullptr;
  const char* data = nullptr;
  size_t size = 0;
  if (napi_get_reference_value(env_, buffer_, &buffer) != napi_ok || buffer == nullptr ||
      !View(env_, buffer, &data, &size) || size != size_ || data == nullptr) {
    return reject("the source buffer was detached or resized before it was copied");
  }
  // A test may fix the bytes per slice; otherwise the clock ends the slice.
  const size_t fixed = instance.testing.copyBytes;
  const size_t end = fixed != 0 ? std::min(size_, copied_ + fixed) : size_;
  const size_t chunk = fixed != 0 ? fixed : kChunk;
  const Clock::time_point deadline = Clock::now() + kSliceBudget;
  while (copied_ < end) {
    const size_t step = std::min(chunk, end - copied_);
    std::memcpy(text_->fill() + copied_, data + copied_, step);
    copied_ += step;
    if (fixed == 0 && copied_ < size_ && Clock::now() >= deadline) break;
  }
  if (copied_ < size_) {
    if (!later()) reject("cannot copy the source");
    return;
  }
  handoff_->deliver(std::move(text_));
  handoff_.reset();
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
