// The decoding of an encoded parse result into JavaScript objects, a slice at a time, by the
// JavaScript decoder (lib/decode.js) and the layout decoders (addon/decoders.h): the JavaScript
// thread is never held much longer than one slice, however large the result, and other callbacks
// (timers, I/O) run between slices.
//
// The decoding is made when `parse` is called and starts with the first chunk of the encoding the
// parse job hands over (addon/delivery.h), while the job goes on parsing and encoding: the two
// threads' work overlaps. Between chunks it waits under a ticket, which the job's wake-up
// (addon/watch.h) or the job's completion redeems.
#pragma once

#include "addon/delivery.h"
#include "addon/later.h"

#include <node_api.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace VEXA::Addon::Parse {

class Decoding final : public Sliced {
 public:
  // Makes a decoding that will settle `deferred` with {optimize, nodes, diagnostics} from the
  // chunks of `delivery`, or with the error that refused the result; it waits under the ticket
  // given to `delivery`, and owns itself from here on, until the promise is settled.
  static void Create(napi_env env, napi_deferred deferred, std::shared_ptr<Delivery> delivery);
  // At the parse job's end, on the JavaScript thread: resumes the decoding if it waits.
  static void JobEnded(napi_env env, Delivery& delivery, std::string failure);
  // The job never ran and the promise was settled elsewhere: frees the waiting decoding unsettled.
  static void Discard(napi_env env, Delivery& delivery);

  // Runs one slice: takes the chunks queued, decodes, then hops to the next turn, waits for the
  // next chunk, or settles.
  void slice() override;

 private:
  Decoding(napi_env env, napi_deferred deferred, std::shared_ptr<Delivery> delivery);
  ~Decoding() override;

  // A chunk handed to the JavaScript decoder, with the views of its memory.
  struct Fed {
    Delivery::Parcel parcel;
    std::vector<napi_ref> views;
  };

  // Makes the JavaScript decoder's state; false once a host call has failed.
  bool begin();
  // Hands `parcel` to the JavaScript decoder; false once a host call has failed.
  bool feed(Delivery::Parcel parcel);
  // A view of `bytes` bytes at `data` that the JavaScript decoder reads while `fed` lives.
  napi_value buffer(Fed& fed, void* data, size_t bytes);
  // Detaches the views of the chunks the decoder is done with and gives their memory back.
  void release(size_t consumed);
  // Waits for the next chunk; false once a host call has failed.
  bool wait();
  // Resolves with `result`, or rejects with `error` (a generic error when null); then detaches
  // the views of this object's memory and deletes it.
  void settle(napi_value result, napi_value error);

  napi_deferred deferred_;
  std::shared_ptr<Delivery> delivery_;
  napi_ref state_ = nullptr;
  napi_ref step_ = nullptr;
  napi_ref feed_ = nullptr;
  // Chunks fed and not yet released, oldest first; and how many were released.
  std::deque<Fed> fed_;
  size_t released_ = 0;
};

}  // namespace VEXA::Addon::Parse
