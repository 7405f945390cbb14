// Keywords class: argument checks, reading the four word lists, registration and release.
#include "addon/keywords.h"

#include "addon/instance_data.h"
#include "addon/keyword_registry.h"
#include "toolchain/characters.h"

#include <memory>
#include <string>

namespace VEXA::Addon {

namespace {

// Categories in reading order: a word listed in several keeps the kind of the first.
struct Category {
  const char* property;
  Lexer::TokenKind kind;
};
constexpr Category kCategories[] = {
    {"precodes", Lexer::TokenKind::Precode},
    {"commands", Lexer::TokenKind::Command},
    {"directives", Lexer::TokenKind::Directive},
    {"instructions", Lexer::TokenKind::Instruction},
};

// Reads one category list into the table. False after a failed host call; the host's error
// (for example "An array was expected") is then pending.
bool ReadCategory(napi_env env, napi_value words, const Category& category, KeywordTable& table) {
  bool present = false;
  if (napi_has_own_property(env, words, Napi::String::New(env, category.property), &present) !=
      napi_ok) {
    return false;
  }
  if (!present) return true;
  napi_value list = nullptr;
  uint32_t length = 0;
  if (napi_get_named_property(env, words, category.property, &list) != napi_ok ||
      napi_get_array_length(env, list, &length) != napi_ok) {
    return false;
  }
  std::string text;
  for (uint32_t i = 0; i < length; ++i) {
    napi_value element = nullptr;
    size_t size = 0;
    if (napi_get_element(env, list, i, &element) != napi_ok ||
        napi_get_value_string_utf8(env, element, nullptr, 0, &size) != napi_ok) {
      return false;
    }
    text.resize(size);
    napi_get_value_string_utf8(env, element, text.data(), size + 1, &size);
    if (!table.strict) {
      for (char& c : text) {
        c = upper(c);
      }
    }
    table.words.try_emplace(text, category.kind);
  }
  return true;
}

}  // namespace

void Keywords::Init(Napi::Env env, Napi::Object exports) {
  Napi::Function constructor = DefineClass(
      env, "Keywords",
      {InstanceAccessor<&Keywords::Reference>("reference", napi_default),
       InstanceMethod<&Keywords::Dispose>(
           "dispose", static_cast<napi_property_attributes>(napi_writable | napi_configurable))});
  InstanceData::Get(env).keywordsConstructor = Napi::Persistent(constructor);
  exports.Set("keywords", Napi::Function::New<&Keywords::Create>(env, "keywords"));
}

Napi::Value Keywords::Create(const Napi::CallbackInfo& info) {
  std::vector<napi_value> args(info.Length());
  for (size_t i = 0; i < info.Length(); ++i) args[i] = info[i];
  // A throwing constructor leaves its error pending and yields an empty value.
  return InstanceData::Get(info.Env()).keywordsConstructor.New(args);
}

Keywords::Keywords(const Napi::CallbackInfo& info) : Napi::ObjectWrap<Keywords>(info) {
  Napi::Env env = info.Env();
  if (info.Length() < 2) {
    Napi::RangeError::New(env, "Expected two arguments").ThrowAsJavaScriptException();
    return;
  }
  if (!info[0].IsObject() && !info[0].IsFunction()) {
    Napi::TypeError::New(env, "Expected a keywords object").ThrowAsJavaScriptException();
    return;
  }
  if (!info[1].IsBoolean()) {
    Napi::TypeError::New(env, "Expected a strictness flag").ThrowAsJavaScriptException();
    return;
  }
  auto table = std::make_shared<KeywordTable>();
  table->strict = info[1].As<Napi::Boolean>().Value();
  for (const Category& category : kCategories) {
    if (!ReadCategory(env, info[0], category, *table)) {
      Napi::Error::New(env).ThrowAsJavaScriptException();
      return;
    }
  }
  reference_ = KeywordRegistry::instance().add(std::move(table));
}

Keywords::~Keywords() {
  if (reference_ >= 0) KeywordRegistry::instance().remove(reference_);
  reference_ = -1;
}

Napi::Value Keywords::Reference(const Napi::CallbackInfo& info) {
  return Napi::Number::New(info.Env(), reference_);
}

Napi::Value Keywords::Dispose(const Napi::CallbackInfo& info) {
  // The number stays readable but no longer resolves; running parses keep their own table.
  if (reference_ >= 0) KeywordRegistry::instance().remove(reference_);
  return info.Env().Undefined();
}

}  // namespace VEXA::Addon
