// Jobs that continue in a later turn of the event loop: the source copy and the result decoding
// run a slice per turn so that the JavaScript thread is never held long, and other callbacks
// (timers, I/O, immediates) run between slices.
//
// The hop to the next slice is an immediate scheduled through the `setImmediate` that the result
// decoder (lib/decode.js) captured when the package loaded: it goes through the event loop alone,
// never through the thread pool (where it would wait behind any pool job, such as a read of a
// pipe that blocks), and never through anything a script can replace after load.
//
// An environment that goes away runs no more immediates: the jobs still waiting for one are freed
// with the environment's data (addon/instance_data.h). Pool jobs that complete during teardown
// complete as if nothing happened; `Closing` tells them not to start anything.
#pragma once

#include <node_api.h>

#include <cstdint>

namespace VEXA::Addon {

class Sliced {
 public:
  explicit Sliced(napi_env env) : env_(env) {}
  virtual ~Sliced() = default;
  Sliced(const Sliced&) = delete;
  Sliced& operator=(const Sliced&) = delete;

  // One slice, called in a later turn after `later`.
  virtual void slice() = 0;

  // True once `env` can run no more JavaScript: it is being terminated or torn down. Nothing of
  // the environment's heap may then be touched beyond dropping references (detaching an array
  // buffer, for one, aborts the process while execution is terminating).
  static bool Closing(napi_env env);

 protected:
  // Calls `slice` in a later turn; false (the host's error pending, if any) when it cannot.
  bool later();

  napi_env env_;
};

}  // namespace VEXA::Addon
