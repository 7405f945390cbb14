// Reading the rules object. Plain Node-API calls are used so that the host's own error for a
// missing or mistyped key (for example "A boolean was expected") is what the caller sees.
#include "addon/read_rules.h"

namespace VEXA::Addon {

namespace {

// One key: fetch, then convert. After the first failure nothing more is read (the host would
// refuse anyway) and every later field stays 0; the first failure's host error is thrown, built
// from the host's last error information right after the failing call.
template <typename T, typename Convert>
T Read(Napi::Env env, Napi::Object rules, const char* key, bool& ok, Convert convert) {
  T result{};
  if (!ok) return result;
  napi_value value = nullptr;
  if (napi_get_named_property(env, rules, key, &value) != napi_ok ||
      convert(env, value, &result) != napi_ok) {
    ok = false;
    Napi::Error::New(env).ThrowAsJavaScriptException();
    return T{};
  }
  return result;
}

}  // namespace

std::shared_ptr<Toolchain::Rules> ReadRules(Napi::Env env, Napi::Object object) {
  auto rules = std::make_shared<Toolchain::Rules>();
  bool ok = true;
  rules->strict = Read<bool>(env, object, "core.strict", ok, napi_get_value_bool);
  rules->dialect = Read<uint32_t>(env, object, "core.dialect", ok, napi_get_value_uint32);
  rules->parseBlocks =
      Read<bool>(env, object, "syntax.parseBlocks", ok, napi_get_value_bool) ? 1 : 0;
  rules->diagnosticLimit =
      Read<uint32_t>(env, object, "diagnostic.limit", ok, napi_get_value_uint32);
  return rules;
}

}  // namespace VEXA::Addon
