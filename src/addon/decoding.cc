// The sliced decoding of an encoded parse result.
//
// The stream, the text table and the text bytes stay in this object's memory and reach the
// JavaScript decoder as array buffers over it, without a copy; they are detached before the
// memory is freed, so nothing can read it afterwards. Each slice calls the decoder's `step`,
// which decodes until its budget is spent; the hop to the next slice is a later turn of the event
// loop (addon/later.h).
#include "addon/decoding.h"

#include "addon/instance_data.h"
#include "addon/pending.h"
#include "addon/pool_release.h"

#include <napi.h>

#include <cstring>
#include <utility>

namespace VEXA::Addon::Parse {

namespace {

// Sets `object[name] = value`; false once a host call has failed.
bool put(napi_env env, napi_value object, const char* name, napi_value value) {
  return value != nullptr && napi_set_named_property(env, object, name, value) == napi_ok;
}

bool putNumber(napi_env env, napi_value object, const char* name, uint32_t number) {
  napi_value value = nullptr;
  return napi_create_uint32(env, number, &value) == napi_ok && put(env, object, name, value);
}

}  // namespace

size_t Encoded::footprint() const {
  size_t bytes = texts.capacity() * sizeof(uint32_t);
  if (writer != nullptr) {
    bytes += writer->stream().capacity() * sizeof(int32_t) + writer->bytes().capacity();
  }
  return bytes;
}

void Decoding::Start(napi_env env, napi_deferred deferred, Encoded encoded) {
  auto* self = new Decoding(env, deferred, std::move(encoded));
  if (!self->begin()) return self->settle(nullptr, takePendingException(env));
  self->slice();
}

Decoding::Decoding(napi_env env, napi_deferred deferred, Encoded encoded)
    : Sliced(env), deferred_(deferred), encoded_(std::move(encoded)) {}

Decoding::~Decoding() {
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

bool Decoding::begin() {
  InstanceData& instance = InstanceData::Get(Napi::Env(env_));
  if (instance.decoderStart.IsEmpty() || instance.decoderStep.IsEmpty()) {
    napi_throw_error(env_, nullptr,
                     "the result decoder is not installed: load the addon through its index.js");
    return false;
  }
  Syntax::CompactWriter& writer = *encoded_.writer;
  std::vector<int32_t>& stream = writer.stream();
  std::string& bytes = writer.bytes();
  const auto& layouts = writer.layouts();

  // Everything else was prepared on the worker: what is left here is a view per array and a
  // description per layout (a few hundred at most).
  napi_value input = nullptr;
  napi_value compiled = nullptr;
  napi_value described = nullptr;
  if (napi_create_object(env_, &input) != napi_ok ||
      !put(env_, input, "stream", buffer(stream.data(), stream.size() * sizeof(int32_t))) ||
      !put(env_, input, "texts",
           buffer(encoded_.texts.data(), encoded_.texts.size() * sizeof(uint32_t))) ||
      !put(env_, input, "bytes", buffer(bytes.data(), bytes.size())) ||
      napi_create_array_with_length(env_, layouts.size(), &compiled) != napi_ok ||
      napi_create_array_with_length(env_, layouts.size(), &described) != napi_ok) {
    return false;
  }
  // Per layout: its decoder (undefined where the host refuses to compile), and its names and
  // kinds for the interpreter, only where it is interpreted: describing every layout of every
  // result would be a good part of a small parse's time on this thread.
  for (size_t i = 0; i < layouts.size(); ++i) {
    napi_value decoder = instance.decoders.find(env_, layouts[i]);
    napi_valuetype type = napi_undefined;
    if (decoder == nullptr || napi_typeof(env_, decoder, &type) != napi_ok) return false;
    if (type == napi_function) {
      if (napi_set_element(env_, compiled, static_cast<uint32_t>(i), decoder) != napi_ok) {
        return false;
      }
      continue;
    }
    napi_value description = nullptr;
    if (napi_create_array_with_length(env_, 2 * layouts[i].size(), &description) != napi_ok) {
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
    if (napi_set_element(env_, compiled, static_cast<uint32_t>(i), decoder) != napi_ok ||
        napi_set_element(env_, described, static_cast<uint32_t>(i), description) != napi_ok) {
      return false;
    }
  }
  if (!put(env_, input, "compiled", compiled) || !put(env_, input, "layouts", described) ||
      !putNumber(env_, input, "optimize", encoded_.optimize) ||
      !putNumber(env_, input, "nodes", encoded_.nodes) ||
      !putNumber(env_, input, "diagnostics", encoded_.diagnostics) ||
      !putNumber(env_, input, "units", instance.testing.decodeUnits) ||
      !put(env_, input, "utf8", instance.utf8.Value())) {
    return false;
  }
  napi_value global = nullptr;
  napi_value state = nullptr;
  return napi_get_global(env_, &global) == napi_ok &&
         napi_call_function(env_, global, instance.decoderStart.Value(), 1, &input, &state) ==
             napi_ok &&
         napi_create_reference(env_, state, 1, &state_) == napi_ok &&
         napi_create_reference(env_, instance.decoderStep.Value(), 1, &step_) == napi_ok;
}

void Decoding::slice() {
  ++InstanceData::Get(Napi::Env(env_)).testing.decodeSlices;
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
  if (!later()) settle(nullptr, takePendingException(env_));
}

void Decoding::settle(napi_value result, napi_value error) {
  if (Closing(env_)) {
    // No script will run again to read the views: the memory goes without detaching them, and
    // the promise with the environment.
    const size_t footprint = encoded_.footprint();
    ReleaseOnPool(env_, std::move(encoded_), footprint);
    delete this;
    return;
  }
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
    static_cast<void>(new Encoded(std::move(encoded_)));
  } else {
    const size_t footprint = encoded_.footprint();
    ReleaseOnPool(env_, std::move(encoded_), footprint);
  }
  delete this;
}

}  // namespace VEXA::Addon::Parse
