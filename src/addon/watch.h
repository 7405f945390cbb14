// The pool jobs' look at their environment. During environment teardown the host waits for every
// pool job to complete before anything of the addon hears of it; a parse of tens of megabytes
// would hold `worker.terminate()` for seconds. So a job asks, now and then, through a thread-safe
// function (an async handle, which the host keeps serving while it waits for the pool), whether
// the environment is going away, and stops early when it is. One watch serves every job of an
// environment (addon/instance_data.h) and lives as long as the environment: the host frees it.
#pragma once

#include <node_api.h>

#include <atomic>
#include <chrono>

namespace VEXA::Addon {

class Watch {
 public:
  // On the JavaScript thread. Null (an exception pending) when the host could not make one.
  static Watch* Create(napi_env env);

  // On any job's thread: true once the environment is known to be going away. Asks again when
  // the last question is older than a few milliseconds.
  bool gone();

 private:
  Watch() = default;
  static void Answer(napi_env env, napi_value callback, void* context, void* data);
  static void Finalize(napi_env env, void* data, void* hint);

  using Clock = std::chrono::steady_clock;
  napi_threadsafe_function function_ = nullptr;
  std::atomic<bool> gone_{false};
  std::atomic<bool> asking_{false};
  // When the last question was asked, in clock ticks.
  std::atomic<Clock::rep> asked_{0};
};

}  // namespace VEXA::Addon
