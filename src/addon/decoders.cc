// Layout decoders: their source and the per-environment cache of compiled ones.
//
// The state S (lib/decode.js) holds the stream as `a` (signed) and `u` (unsigned words), the
// read position `p` (on the layout word when a decoder is called), the texts `s`, the decoders
// `D` by layout number, and helpers: `d(p)` the double in words p and p+1, `t(S)` a text list
// and `l(S)` a node list read from S.p on.
#include "addon/decoders.h"

#include "addon/pending.h"

namespace VEXA::Addon {

namespace {

using Kind = Syntax::CompactWriter::Kind;

// A property name as a JavaScript string literal.
void appendQuoted(std::string& out, const char* name) {
  out += '"';
  for (const char* c = name; *c != '\0'; ++c) {
    if (*c == '"' || *c == '\\') out += '\\';
    out += *c;
  }
  out += '"';
}

}  // namespace

Decoders::~Decoders() {
  for (auto& [key, reference] : compiled_) napi_delete_reference(env_, reference);
}

std::string Decoders::source(const Syntax::CompactWriter::Layout& layout) {
  std::string body = "const a=S.a,u=S.u;let p=S.p+1;";
  std::string object;
  size_t next = 0;
  for (const auto& property : layout) {
    std::string v(1, 'v');
    v += std::to_string(next++);
    if (!object.empty()) object += ',';
    appendQuoted(object, property.name);
    object += ':';
    switch (property.kind) {
      case Kind::Range:
        body += "const " + v + "=u[p]," + v + "b=u[p+1]," + v + "c=u[p+2]," + v + "d=u[p+3];p+=4;";
        object += "{start:{line:" + v + ",character:" + v + "b},end:{line:" + v +
                  "c,character:" + v + "d}}";
        continue;
      case Kind::Integer:
        body += "const " + v + "=a[p++];";
        break;
      case Kind::Number:
        body += "const " + v + "=S.d(p);p+=2;";
        break;
      case Kind::Text:
        body += "const " + v + "=S.s[a[p++]];";
        break;
      case Kind::Boolean:
        body += "const " + v + "=a[p++]!==0;";
        break;
      case Kind::Texts:
        body += "S.p=p;const " + v + "=S.t(S);p=S.p;";
        break;
      case Kind::Node:
        body += "S.p=p;const " + v + "=S.D[a[p]](S);p=S.p;";
        break;
      case Kind::Nodes:
        body += "S.p=p;const " + v + "=S.l(S);p=S.p;";
        break;
    }
    object += v;
  }
  return "(function(S){" + body + "S.p=p;return {" + object + "};})";
}

napi_value Decoders::find(napi_env env, const Syntax::CompactWriter::Layout& layout) {
  env_ = env;
  napi_value value = nullptr;
  if (refused_) {
    napi_get_undefined(env, &value);
    return value;
  }
  // Keyed by each name's address and the kind: names are the describers' string constants, whose
  // addresses stand for them (a name spelt at two addresses only costs a second decoder), and
  // nothing has to measure them.
  std::string key;
  key.reserve(layout.size() * (sizeof(const char*) + 1));
  for (const auto& property : layout) {
    key.append(reinterpret_cast<const char*>(&property.name), sizeof property.name);
    key.push_back(static_cast<char>(property.kind));
  }
  const auto found = compiled_.find(key);
  if (found != compiled_.end()) {
    if (napi_get_reference_value(env, found->second, &value) != napi_ok) return nullptr;
    return value;
  }
  const std::string text = source(layout);
  napi_value script = nullptr;
  napi_valuetype type = napi_undefined;
  napi_ref reference = nullptr;
  if (napi_create_string_utf8(env, text.data(), text.size(), &script) == napi_ok &&
      napi_run_script(env, script, &value) == napi_ok &&
      napi_typeof(env, value, &type) == napi_ok && type == napi_function &&
      napi_create_reference(env, value, 1, &reference) == napi_ok) {
    compiled_.emplace(std::move(key), reference);
    return value;
  }
  // The host forbids compiling (a code-generation policy, a content security hook): the layouts
  // are interpreted from now on, and no exception is left behind.
  takePendingException(env);
  refused_ = true;
  napi_get_undefined(env, &value);
  return value;
}

}  // namespace VEXA::Addon
