// The watch of a pool job's environment.
#include "addon/watch.h"

#include "addon/instance_data.h"
#include "addon/later.h"

#include <napi.h>

namespace VEXA::Addon {

namespace {

// How old an answer may be: the longest a terminated worker waits for a job to notice.
constexpr auto kAskEvery = std::chrono::milliseconds(10);

}  // namespace

std::unique_ptr<Watch> Watch::Create(napi_env env) {
  std::unique_ptr<Watch> watch(new Watch());
  napi_value name = nullptr;
  if (napi_create_string_latin1(env, "Addon::Parse::Watch", NAPI_AUTO_LENGTH, &name) != napi_ok ||
      napi_create_threadsafe_function(env, nullptr, nullptr, name, 0, 1, nullptr, nullptr,
                                      watch.get(), &Watch::Answer, &watch->function_) != napi_ok) {
    return nullptr;
  }
  // The pool jobs keep the event loop alive while they run; the watch must not keep it longer.
  napi_unref_threadsafe_function(env, watch->function_);
  return watch;
}

bool Watch::gone() {
  if (gone_.load(std::memory_order_acquire)) return true;
  const Clock::rep now = Clock::now().time_since_epoch().count();
  bool idle = false;
  if (now - asked_.load(std::memory_order_relaxed) >= Clock::duration(kAskEvery).count() &&
      asking_.compare_exchange_strong(idle, true, std::memory_order_acq_rel)) {
    asked_.store(now, std::memory_order_relaxed);
    if (napi_call_threadsafe_function(function_, nullptr, napi_tsfn_nonblocking) != napi_ok) {
      // Closing: the environment is going away.
      gone_.store(true, std::memory_order_release);
    }
  }
  return false;
}

void Watch::wake(uint32_t ticket) {
  // The ticket travels as the call's data: no memory to free if the call is never answered.
  void* data = reinterpret_cast<void*>(static_cast<uintptr_t>(ticket));
  if (napi_call_threadsafe_function(function_, data, napi_tsfn_nonblocking) != napi_ok) {
    gone_.store(true, std::memory_order_release);
  }
}

void Watch::Answer(napi_env env, napi_value, void* context, void* data) {
  if (data != nullptr) {
    // A wake-up. The job may have gone meanwhile (its environment's data freed it), and then
    // its ticket finds nothing.
    if (env == nullptr) return;
    const auto ticket = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(data));
    if (Sliced* job = InstanceData::Get(Napi::Env(env)).take(ticket)) job->slice();
    return;
  }
  auto* self = static_cast<Watch*>(context);
  // No environment: the queue is emptied during teardown.
  if (env == nullptr || Sliced::Closing(env)) self->gone_.store(true, std::memory_order_release);
  self->asking_.store(false, std::memory_order_release);
}

}  // namespace VEXA::Addon
