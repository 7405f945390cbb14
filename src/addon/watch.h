// The pool jobs' look at their environment, and their way to wake a job that waits on the
// JavaScript thread. During environment teardown the host waits for every
// pool job to complete before anything of the addon hears of it; a parse of tens of megabytes
// would hold `worker.terminate()` for seconds. So a job asks, now and then, through a thread-safe
// function (an async handle, which the host keeps serving while it waits for the pool), whether
// the environment is going away, and stops early when it is. One watch serves every job of an
// environment and is freed with the environment's data (addon/instance_data.h), after the host
// has closed the thread-safe function (which it does first: cleanup runs in reverse order of
// registration, and the function is made after the module's environment).
#pragma once

#include <node_api.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

namespace VEXA::Addon {

class Watch {
 public:
  // On the JavaScript thread. Null (an exception pending) when the host could not make one.
  static std::unique_ptr<Watch> Create(napi_env env);

  // On any job's thread: true once the environment is known to be going away. Asks again when
  // the last question is older than a few milliseconds.
  bool gone();
  // On any job's thread: resumes the job waiting under `ticket` (addon/later.h) in a later turn
  // of the event loop. Nothing happens when the environment is going away.
  void wake(uint32_t ticket);

 private:
  Watch() = default;
  static void Answer(napi_env env, napi_value callback, void* context, void* data);

  using Clock = std::chrono::steady_clock;
  napi_threadsafe_function function_ = nullptr;
  std::atomic<bool> gone_{false};
  std::atomic<bool> asking_{false};
  // When the last question was asked, in clock ticks.
  std::atomic<Clock::rep> asked_{0};
};

}  // namespace VEXA::Addon
