// The sliced decoding of an encoded parse result.
//
// The stream, the text table and the text bytes stay in this object's memory and reach the
// JavaScript decoder as array buffers over it, without a copy; they are detached before the
// memory is freed, so nothing can read it afterwards. Each slice calls the decoder's `step`,
// which decodes until its time is up; the hop to the next slice is an async work item, whose
// completion is a later turn of the event loop reached without anything a script can replace (a
// global setImmediate, process.nextTick).
#include "addon/decoding.h"

#include "addon/instance_data.h"
#include "addon/pending.h"
#include "addon/pool_release.h"

#include <napi.h>

#include <cstring>
#include <utility>

namespace VEXA::Addon::Parse {

void Decoding::Start(napi_env env, napi_deferred deferred,
                     std::unique_ptr<Syntax::CompactWriter> encoded, uint32_t optimize,
                     uint32_t nodes, uint32_t diagnostics) {
  auto* self = new Decoding(env, deferred, std::move(encoded));
  if (!self->begin(optimize, nodes, diagnostics)) {
    return self->settle(nullptr, takePendingException(env));
  }
  self->slice();
}

Decoding::Decoding(napi_env env, napi_deferred deferred,
                   std::unique_ptr<Syntax::CompactWriter> encoded)
    : env_(env), deferred_(deferred), encoded_(std::move(encoded)) {}

Decoding::~Decoding() {
  if (work_ != nullptr) napi_delete_async_work(env_, work_);
  if (state_ != nullptr) napi_delete_reference(env_, state_);
  if (step_ != nullptr) napi_delete_reference(env_, step_);
  for (napi_ref view : views_) napi_delete_reference(env_, view);
}

napi_value Decoding::buffer(void* data, size_t bytes) {
  napi_value value = nullptr;
  if (bytes == 0) {
    napi_create_arraybuffer(env_, 0, nullptr, &value);
    return value;
  }
  napi_ref reference = nullptr;
  if (napi_create_external_arraybuffer(env_, data, bytes, nullptr, nullptr, &value) == napi_ok &&
      napi_create_reference(env_, value, 1, &reference) == napi_ok) {
    views_.push_back(reference);
    return value;
  }
  // Hosts that allow no external memory in array buffers get a copy.
  takePendingException(env_);
  void* copy = nullptr;
  if (napi_create_arraybuffer(env_, bytes, &copy, &value) != napi_ok) return nullptr;
  std::memcpy(copy, data, bytes);
  return value;
}

bool Decoding::begin(uint32_t optimize, uint32_t nodes, uint32_t diagnostics) {
  InstanceData& instance = InstanceData::Get(Napi::Env(env_));
  if (instance.decoderStart.IsEmpty() || instance.decoderStep.IsEmpty()) {
    napi_throw_error(env_, nullptr,
                     "the result decoder is not installed: load the addon through its index.js");
    return false;
  }
  // The text table as words: offset, size, and 1 for ASCII texts.
  const auto& texts = encoded_->texts();
  texts_.reserve(3 * texts.size());
  for (const auto& text : texts) {
    texts_.push_back(static_cast<int32_t>(text.offset));
    texts_.push_back(static_cast<int32_t>(text.size));
    texts_.push_back(text.ascii ? 1 : 0);
  }
  std::vector<int32_t>& stream = encoded_->stream();
  std::string& bytes = encoded_->bytes();
  const auto& layouts = encoded_->layouts();

  napi_value args[10] = {};
  args[0] = buffer(stream.data(), stream.size() * sizeof(int32_t));
  args[1] = buffer(texts_.data(), texts_.size() * sizeof(int32_t));
  args[3] = buffer(bytes.data(), bytes.size());
  if (args[0] == nullptr || args[1] == nullptr || args[3] == nullptr) return false;
  // ASCII texts are cut out of one string of all the bytes: one copy for all of them.
  if (napi_create_string_latin1(env_, bytes.data(), bytes.size(), &args[2]) != napi_ok) {
    return false;
  }
  // Per layout: its decoder (undefined where the host refuses to compile), and its names and
  // kinds for the interpreter.
  if (napi_create_array_with_length(env_, layouts.size(), &args[4]) != napi_ok ||
      napi_create_array_with_length(env_, layouts.size(), &args[5]) != napi_ok) {
    return false;
  }
  for (size_t i = 0; i < layouts.size(); ++i) {
    napi_value decoder = instance.decoders.find(env_, layouts[i]);
    napi_value description = nullptr;
    if (decoder == nullptr ||
        napi_create_array_with_length(env_, 2 * layouts[i].size(), &description) != napi_ok) {
      return false;
    }
    for (size_t j = 0; j < layouts[i].size(); ++j) {
      napi_value name = nullptr;
      napi_value kind = nullptr;
      if (napi_create_string_latin1(env_, layouts[i][j].name, NAPI_AUTO_LENGTH, &name) != napi_ok ||
          napi_create_uint32(env_, static_cast<uint32_t>(layouts[i][j].kind), &kind) != napi_ok ||
          napi_set_element(env_, description, static_cast<uint32_t>(2 * j), name) != napi_ok ||
          napi_set_element(env_, description, static_cast<uint32_t>(2 * j + 1), kind) != napi_ok) {
        return false;
      }
    }
    if (napi_set_element(env_, args[4], static_cast<uint32_t>(i), decoder) != napi_ok ||
        napi_set_element(env_, args[5], static_cast<uint32_t>(i), description) != napi_ok) {
      return false;
    }
  }
  if (napi_create_uint32(env_, optimize, &args[6]) != napi_ok ||
      napi_create_uint32(env_, nodes, &args[7]) != napi_ok ||
      napi_create_uint32(env_, diagnostics, &args[8]) != napi_ok) {
    return false;
  }
  args[9] = instance.utf8.Value();
  napi_value global = nullptr;
  napi_value state = nullptr;
  return napi_get_global(env_, &global) == napi_ok &&
         napi_call_function(env_, global, instance.decoderStart.Value(), 10, args, &state) ==
             napi_ok &&
         napi_create_reference(env_, state, 1, &state_) == napi_ok &&
         napi_create_reference(env_, instance.decoderStep.Value(), 1, &step_) == napi_ok;
}

void Decoding::slice() {
  napi_value state = nullptr;
  napi_value step = nullptr;
  napi_value global = nullptr;
  napi_value result = nullptr;
  napi_valuetype type = napi_undefined;
  if (napi_get_reference_value(env_, state_, &state) != napi_ok ||
      napi_get_reference_value(env_, step_, &step) != napi_ok ||
      napi_get_global(env_, &global) != napi_ok ||
      napi_call_function(env_, global, step, 1, &state, &result) != napi_ok ||
      napi_typeof(env_, result, &type) != napi_ok) {
    return settle(nullptr, takePendingException(env_));
  }
  if (type != napi_undefined) return settle(result, nullptr);
  if (!hop()) settle(nullptr, takePendingException(env_));
}

bool Decoding::hop() {
  napi_value name = nullptr;
  return napi_create_string_latin1(env_, "Addon::Parse::Decoding", NAPI_AUTO_LENGTH, &name) ==
             napi_ok &&
         napi_create_async_work(env_, nullptr, name, &Decoding::Idle, &Decoding::Resume, this,
                                &work_) == napi_ok &&
         napi_queue_async_work(env_, work_) == napi_ok;
}

void Decoding::Idle(napi_env, void*) {
  // Nothing to do off the JavaScript thread: the work item is only the way to the next turn.
}

void Decoding::Resume(napi_env env, napi_status status, void* data) {
  auto* self = static_cast<Decoding*>(data);
  napi_delete_async_work(env, self->work_);
  self->work_ = nullptr;
  // Nothing cancels the work item; any other status means the environment is going away.
  if (status != napi_ok) return self->settle(nullptr, nullptr);
  self->slice();
}

void Decoding::settle(napi_value result, napi_value error) {
  if (result != nullptr) {
    napi_resolve_deferred(env_, deferred_, result);
  } else {
    if (error == nullptr) {
      error = Napi::Error::New(env_, "the parse result could not be decoded").Value();
    }
    // During environment teardown this fails too, and the engine drops the promise with the
    // environment; either way the job is over.
    napi_reject_deferred(env_, deferred_, error);
  }
  // The decoder's state may outlive this object as garbage: its views must not reach the memory
  // freed here. A view that cannot be detached keeps its memory for the process's life instead.
  bool detached = true;
  for (napi_ref view : views_) {
    napi_value buffer = nullptr;
    detached = napi_get_reference_value(env_, view, &buffer) == napi_ok && buffer != nullptr &&
               napi_detach_arraybuffer(env_, buffer) == napi_ok && detached;
  }
  if (!detached) {
    static_cast<void>(encoded_.release());
    static_cast<void>(new std::vector<int32_t>(std::move(texts_)));
  } else {
    ReleaseOnPool(env_, std::make_pair(std::move(encoded_), std::move(texts_)));
  }
  delete this;
}

}  // namespace VEXA::Addon::Parse
