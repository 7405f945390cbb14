// The host's pending exception, taken so that later host calls are not refused because of it.
#pragma once

#include <node_api.h>

namespace VEXA::Addon {

// The pending exception (cleared), or null when none is pending.
inline napi_value takePendingException(napi_env env) {
  bool pending = false;
  napi_value exception = nullptr;
  if (napi_is_exception_pending(env, &pending) == napi_ok && pending) {
    napi_get_and_clear_last_exception(env, &exception);
  }
  return exception;
}

}  // namespace VEXA::Addon
