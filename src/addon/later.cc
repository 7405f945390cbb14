// The hop to a later turn, and the look at whether the environment is going away.
#include "addon/later.h"

#include "addon/instance_data.h"
#include "addon/pending.h"

#include <napi.h>

namespace VEXA::Addon {

bool Sliced::Closing(napi_env env) {
  InstanceData& instance = InstanceData::Get(Napi::Env(env));
  napi_value undefined = nullptr;
  napi_value result = nullptr;
  if (instance.probe.IsEmpty() || napi_get_undefined(env, &undefined) != napi_ok) return true;
  if (napi_call_function(env, undefined, instance.probe.Value(), 0, nullptr, &result) == napi_ok) {
    return false;
  }
  // A function that does nothing fails only where JavaScript can no longer run: refused during
  // teardown, or stopped by a termination (which leaves an exception of its own behind).
  takePendingException(env);
  return true;
}

bool Sliced::later() {
  InstanceData& instance = InstanceData::Get(Napi::Env(env_));
  if (instance.later.IsEmpty() || instance.resume.IsEmpty()) {
    napi_throw_error(env_, nullptr,
                     "the result decoder is not installed: load the addon through its index.js");
    return false;
  }
  const uint32_t ticket = instance.wait(this);
  napi_value args[2] = {instance.resume.Value(), nullptr};
  napi_value undefined = nullptr;
  napi_value result = nullptr;
  if (napi_create_uint32(env_, ticket, &args[1]) == napi_ok &&
      napi_get_undefined(env_, &undefined) == napi_ok &&
      napi_call_function(env_, undefined, instance.later.Value(), 2, args, &result) == napi_ok) {
    return true;
  }
  instance.take(ticket);
  return false;
}

}  // namespace VEXA::Addon
