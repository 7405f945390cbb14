// The sliced decoding of an encoded parse result.
//
// Each chunk's records, text table and text bytes stay in native memory and reach the JavaScript
// decoder as array buffers over it, without a copy; they are detached before the memory is freed
// or reused, so nothing can read it afterwards. Each slice calls the decoder's `step`, which
// decodes until its budget is spent or the chunks fed so far are decoded; the hop to the next
// slice is a later turn of the event loop (addon/later.h), the wait for the next chunk a ticket.
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

// What a settled decoding leaves to free: the chunks, dropped together.
using Garbage = std::vector<Delivery::Parcel>;

}  // namespace

void Decoding::Create(napi_env env, napi_deferred deferred, std::shared_ptr<Delivery> delivery) {
  auto* self = new Decoding(env, deferred, std::move(delivery));
  InstanceData& instance = InstanceData::Get(Napi::Env(env));
  // Nothing is queued yet: the wait cannot be refused.
  self->delivery_->park(instance.wait(self));
}

void Decoding::JobEnded(napi_env env, Delivery& delivery, std::string failure) {
  const uint32_t ticket = delivery.end(std::move(failure));
  if (ticket == 0) return;
  if (Sliced* job = InstanceData::Get(Napi::Env(env)).take(ticket)) job->slice();
}

void Decoding::Discard(napi_env env, Delivery& delivery) {
  const uint32_t ticket = delivery.end("");
  if (ticket == 0) return;
  delete static_cast<Decoding*>(InstanceData::Get(Napi::Env(env)).take(ticket));
}

Decoding::Decoding(napi_env env, napi_deferred deferred, std::shared_ptr<Delivery> delivery)
    : Sliced(env), deferred_(deferred), delivery_(std::move(delivery)) {}

Decoding::~Decoding() {
  if (state_ != nullptr) napi_delete_reference(env_, state_);
  for (Fed& fed : fed_) {
    for (napi_ref view : fed.views) napi_delete_reference(env_, view);
  }
}

napi_value Decoding::buffer(Fed& fed, void* data, size_t bytes) {
  napi_value value = nullptr;
  if (bytes == 0) {
    napi_create_arraybuffer(env_, 0, nullptr, &value);
    return value;
  }
  napi_ref reference = nullptr;
  if (napi_create_external_arraybuffer(env_, data, bytes, nullptr, nullptr, &value) == napi_ok &&
      napi_create_reference(env_, value, 1, &reference) == napi_ok) {
    fed.views.push_back(reference);
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
  if (instance.decoderStart.IsEmpty() || instance.decoderStep.IsEmpty() ||
      instance.decoderFeed.IsEmpty()) {
    napi_throw_error(env_, nullptr,
                     "the result decoder is not installed: load the addon through its index.js");
    return false;
  }
  napi_value input = nullptr;
  napi_value global = nullptr;
  napi_value state = nullptr;
  return napi_create_object(env_, &input) == napi_ok &&
         putNumber(env_, input, "units", instance.testing.decodeUnits) &&
         put(env_, input, "utf8", instance.utf8.Value()) &&
         napi_get_global(env_, &global) == napi_ok &&
         napi_call_function(env_, global, instance.decoderStart.Value(), 1, &input, &state) ==
             napi_ok &&
         napi_create_reference(env_, state, 1, &state_) == napi_ok;
}

bool Decoding::feed(Delivery::Parcel parcel) {
  InstanceData& instance = InstanceData::Get(Napi::Env(env_));
  // Placed first: the views point into it, and a deque never moves its elements.
  Fed& fed = fed_.emplace_back(Fed{std::move(parcel), {}});
  Syntax::CompactWriter::Chunk& chunk = fed.parcel.chunk;
  instance.testing.texts += chunk.texts.size() / 3;
  const auto& layouts = chunk.layouts;
  napi_value input = nullptr;
  napi_value compiled = nullptr;
  napi_value described = nullptr;
  if (napi_create_object(env_, &input) != napi_ok ||
      !put(env_, input, "stream",
           buffer(fed, chunk.stream.data(), chunk.stream.size() * sizeof(int32_t))) ||
      !put(env_, input, "texts",
           buffer(fed, chunk.texts.data(), chunk.texts.size() * sizeof(uint32_t))) ||
      !put(env_, input, "bytes", buffer(fed, chunk.bytes.data(), chunk.bytes.size())) ||
      napi_create_array_with_length(env_, layouts.size(), &compiled) != napi_ok ||
      napi_create_array_with_length(env_, layouts.size(), &described) != napi_ok) {
    return false;
  }
  // Per layout first used in this chunk: its decoder (undefined where the host refuses to
  // compile), and its names and kinds for the interpreter, only where it is interpreted:
  // describing every layout of every result would be a good part of a small parse's time on this
  // thread.
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
      !putNumber(env_, input, "nodes", chunk.nodes) ||
      !putNumber(env_, input, "diagnostics", chunk.diagnostics)) {
    return false;
  }
  if (fed.parcel.last) {
    napi_value yes = nullptr;
    if (napi_get_boolean(env_, true, &yes) != napi_ok || !put(env_, input, "last", yes) ||
        !putNumber(env_, input, "optimize", fed.parcel.optimize)) {
      return false;
    }
  }
  napi_value global = nullptr;
  napi_value args[2] = {nullptr, input};
  napi_value ignored = nullptr;
  return napi_get_reference_value(env_, state_, &args[0]) == napi_ok &&
         napi_get_global(env_, &global) == napi_ok &&
         napi_call_function(env_, global, instance.decoderFeed.Value(), 2, args, &ignored) ==
             napi_ok;
}

void Decoding::release(size_t consumed) {
  while (released_ < consumed && !fed_.empty()) {
    Fed& fed = fed_.front();
    bool detached = true;
    for (napi_ref view : fed.views) {
      napi_value buffer = nullptr;
      detached = napi_get_reference_value(env_, view, &buffer) == napi_ok && buffer != nullptr &&
                 napi_detach_arraybuffer(env_, buffer) == napi_ok && detached;
      napi_delete_reference(env_, view);
    }
    if (detached) {
      // The job writes its next records into this memory, already in place.
      delivery_->recycle(std::move(fed.parcel.chunk.stream));
    } else {
      // A view that cannot be detached keeps its memory for the process's life.
      static_cast<void>(new Delivery::Parcel(std::move(fed.parcel)));
    }
    fed_.pop_front();
    ++released_;
  }
}

bool Decoding::wait() {
  InstanceData& instance = InstanceData::Get(Napi::Env(env_));
  const uint32_t ticket = instance.wait(this);
  if (delivery_->park(ticket)) return true;
  // A chunk, or the job's end, came in the meantime.
  instance.take(ticket);
  return later();
}

void Decoding::slice() {
  InstanceData& instance = InstanceData::Get(Napi::Env(env_));
  ++instance.testing.decodeSlices;
  std::string failure = delivery_->failure();
  if (!failure.empty()) {
    return settle(nullptr, Napi::Error::New(env_, failure).Value());
  }
  if (state_ == nullptr && !begin()) return settle(nullptr, takePendingException(env_));
  Delivery::Parcel parcel;
  while (delivery_->pop(parcel)) {
    if (!feed(std::move(parcel))) return settle(nullptr, takePendingException(env_));
  }
  napi_value state = nullptr;
  napi_value global = nullptr;
  napi_value result = nullptr;
  napi_valuetype type = napi_undefined;
  if (napi_get_reference_value(env_, state_, &state) != napi_ok ||
      napi_get_global(env_, &global) != napi_ok ||
      napi_call_function(env_, global, instance.decoderStep.Value(), 1, &state, &result) !=
          napi_ok ||
      napi_typeof(env_, result, &type) != napi_ok) {
    return settle(nullptr, takePendingException(env_));
  }
  if (type == napi_object) return settle(result, nullptr);
  if (fed_.size() > 1) {
    // Chunks the decoder is done with: their memory goes back to the job.
    napi_value consumed = nullptr;
    uint32_t count = 0;
    if (napi_get_named_property(env_, state, "consumed", &consumed) != napi_ok ||
        napi_get_value_uint32(env_, consumed, &count) != napi_ok) {
      return settle(nullptr, takePendingException(env_));
    }
    release(count);
  }
  const bool going = type == napi_null ? wait() : later();
  if (!going) settle(nullptr, takePendingException(env_));
}

void Decoding::settle(napi_value result, napi_value error) {
  Garbage garbage;
  size_t bytes = 0;
  for (Fed& fed : fed_) {
    bytes += footprint(fed.parcel.chunk);
    garbage.push_back(std::move(fed.parcel));
  }
  if (Closing(env_)) {
    // No script will run again to read the views: the memory goes without detaching them, and
    // the promise with the environment.
    ReleaseOnPool(env_, std::move(garbage), bytes);
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
  for (Fed& fed : fed_) {
    for (napi_ref view : fed.views) {
      napi_value buffer = nullptr;
      detached = napi_get_reference_value(env_, view, &buffer) == napi_ok && buffer != nullptr &&
                 napi_detach_arraybuffer(env_, buffer) == napi_ok && detached;
    }
  }
  if (!detached) {
    static_cast<void>(new Garbage(std::move(garbage)));
  } else {
    ReleaseOnPool(env_, std::move(garbage), bytes);
  }
  delete this;
}

}  // namespace VEXA::Addon::Parse
