// A pool job's look at its environment. During environment teardown the host waits for every
// pool job to complete before anything of the addon hears of it; a parse of tens of megabytes
// would hold `worker.terminate()` for seconds. So a job asks, now and then, through a thread-safe
// function (an async handle, which the host keeps serving while it waits for the pool), whether
// the environment is going away, and stops early when it is.
#pragma once

#include <node_api.h>

#include <atomic>
#include <chrono>

namespace VEXA::Addon {

class Watch {
 public:
  // On the JavaScript thread. Null (an exception pending) when the host could not make one.
  static Watch* Create(napi_env env);
  // On the JavaScript thread, once no thread will call `gone` again; the watch may be freed.
  void close();

  // On the job's thread: true once the environment is known to be going away. Asks again when
  // the last answer is older than a few milliseconds.
  bool gone();

 private:
  Watch() = default;
  static void Answer(napi_env env, napi_value callback, void* context, void* data);
  static void Finalize(napi_env env, void* data, void* hint);

  using Clock = std::chrono::steady_clock;
  napi_threadsafe_function function_ = nullptr;
  std::atomic<bool> gone_{false};
  std::atomic<bool> asking_{false};
  Clock::time_point asked_{};
};

}  // namespace VEXA::Addon
