// The JavaScript class "Keywords": builds a keyword table set from the caller's word lists,
// registers it, and exposes its number as "reference" until "dispose" or garbage collection.
#pragma once

#include <napi.h>

#include <cstdint>

namespace VEXA::Addon {

class Keywords final : public Napi::ObjectWrap<Keywords> {
 public:
  // Defines the class, keeps its constructor in the environment's instance data and adds the
  // "keywords" factory to the exports.
  static void Init(Napi::Env env, Napi::Object exports);

  explicit Keywords(const Napi::CallbackInfo& info);
  ~Keywords() override;

 private:
  static Napi::Value Create(const Napi::CallbackInfo& info);
  Napi::Value Reference(const Napi::CallbackInfo& info);
  Napi::Value Dispose(const Napi::CallbackInfo& info);

  int32_t reference_ = -1;
};

}  // namespace VEXA::Addon
