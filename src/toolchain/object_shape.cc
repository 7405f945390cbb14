// Object layouts, their compiled factories, and the per-conversion argument lists.
#include "toolchain/object_shape.h"

#include <algorithm>
#include <atomic>
#include <string>

namespace VEXA::Syntax {

namespace {

std::atomic<uint32_t> nextShapeId{0};
thread_local Conversion* currentConversion = nullptr;

// Cached factory handles per conversion: this many variants per layout are kept in a flat table,
// more optional properties than that go through the environment's map every time.
constexpr uint32_t kCachedVariants = 16;

// JavaScript source of the factory for one variant: parameters p0, p1, … in argument order.
std::string FactorySource(const Shape& shape, uint32_t present, std::vector<std::string>& params) {
  std::string body = "return {";
  uint32_t optional = 0;
  size_t next = 0;
  auto param = [&] {
    std::string name(1, 'p');
    name += std::to_string(next++);
    params.push_back(std::move(name));
    return params.back();
  };
  bool first = true;
  for (const Property& property : shape.properties()) {
    if (property.field == Field::Optional && !(present & (1u << optional++))) continue;
    if (!first) body += ',';
    first = false;
    body += '"';
    body += property.name;
    body += "\":";
    switch (property.field) {
      case Field::Range: {
        const std::string a = param(), b = param(), c = param(), d = param();
        body +=
            "{start:{line:" + a + ",character:" + b + "},end:{line:" + c + ",character:" + d + "}}";
        break;
      }
      case Field::Rest: {
        const std::string rest = param();
        params.back() = "..." + rest;
        body += rest;
        break;
      }
      default:
        body += param();
        break;
    }
  }
  body += "};";
  return body;
}

}  // namespace

Shape::Shape(std::initializer_list<Property> properties)
    : id_(nextShapeId.fetch_add(1)), properties_(properties) {}

Shape::Shape(const Shape& base, std::initializer_list<Property> properties)
    : id_(nextShapeId.fetch_add(1)), properties_(base.properties_) {
  properties_.insert(properties_.end(), properties.begin(), properties.end());
}

Factories::~Factories() {
  for (auto& entry : references_) napi_delete_reference(env_, entry.second);
}

napi_value Factories::get(napi_env env, const Shape& shape, uint32_t present) {
  env_ = env;
  const uint64_t key = (static_cast<uint64_t>(shape.id()) << 32) | present;
  napi_value factory = nullptr;
  if (auto found = references_.find(key); found != references_.end()) {
    return napi_get_reference_value(env, found->second, &factory) == napi_ok ? factory : nullptr;
  }

  std::vector<std::string> params;
  const std::string body = FactorySource(shape, present, params);
  std::vector<napi_value> args(params.size() + 1);
  for (size_t i = 0; i < params.size(); ++i) {
    if (napi_create_string_utf8(env, params[i].data(), params[i].size(), &args[i]) != napi_ok) {
      return nullptr;
    }
  }
  napi_value global = nullptr;
  napi_value constructor = nullptr;
  napi_ref reference = nullptr;
  if (napi_create_string_utf8(env, body.data(), body.size(), &args.back()) != napi_ok ||
      napi_get_global(env, &global) != napi_ok ||
      napi_get_named_property(env, global, "Function", &constructor) != napi_ok ||
      napi_new_instance(env, constructor, args.size(), args.data(), &factory) != napi_ok ||
      napi_create_reference(env, factory, 1, &reference) != napi_ok) {
    return nullptr;
  }
  references_.emplace(key, reference);
  return factory;
}

Conversion::Conversion(Napi::Env env, Factories& factories)
    : env_(env), factories_(factories), outer_(currentConversion), interned_(kInternSlots) {
  currentConversion = this;
}

Conversion::~Conversion() {
  currentConversion = outer_;
}

Conversion* Conversion::current() {
  return currentConversion;
}

napi_value Conversion::fail() {
  if (!failed_) {
    failed_ = true;
    Napi::Error::New(env_).ThrowAsJavaScriptException();
  }
  return nullptr;
}

void Conversion::forgetHandles() {
  std::fill(cache_.begin(), cache_.end(), nullptr);
  std::fill(interned_.begin(), interned_.end(), Interned{});
  path_ = nullptr;
  true_ = nullptr;
}

napi_value Conversion::factory(const Shape& shape, uint32_t present) {
  if (present >= kCachedVariants) {
    napi_value factory = factories_.get(env_, shape, present);
    return factory ? factory : fail();
  }
  const size_t slot = static_cast<size_t>(shape.id()) * kCachedVariants + present;
  if (slot >= cache_.size()) cache_.resize(slot + 1, nullptr);
  if (cache_[slot] == nullptr) {
    cache_[slot] = factories_.get(env_, shape, present);
    if (cache_[slot] == nullptr) return fail();
  }
  return cache_[slot];
}

napi_value Conversion::string(std::string_view text) {
  Interned* slot = nullptr;
  if (text.size() <= kInternLongest) {
    uint32_t hash = 2166136261u;
    for (const char c : text) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    slot = &interned_[hash & (kInternSlots - 1)];
    if (slot->value != nullptr && slot->text == text) return slot->value;
  }
  // Plain ASCII needs no UTF-8 decoding: the engine copies it as it is.
  bool ascii = true;
  for (const char c : text) ascii &= static_cast<uint8_t>(c) < 0x80;
  napi_value value = nullptr;
  const napi_status status = ascii
                                 ? napi_create_string_latin1(env_, text.data(), text.size(), &value)
                                 : napi_create_string_utf8(env_, text.data(), text.size(), &value);
  if (status != napi_ok) return fail();
  if (slot != nullptr) *slot = {text, value};
  return value;
}

napi_value Conversion::path(std::string_view text) {
  if (path_ == nullptr || text.data() != pathData_ || text.size() != pathSize_) {
    path_ = string(text);
    pathData_ = text.data();
    pathSize_ = text.size();
  }
  return path_;
}

template <typename T>
napi_value Conversion::create(napi_status (*maker)(napi_env, T, napi_value*), T value) {
  napi_value result = nullptr;
  if (maker(env_, value, &result) != napi_ok) return fail();
  return result;
}

napi_value Conversion::number(double value) {
  return create(napi_create_double, value);
}

napi_value Conversion::uint32(uint32_t value) {
  return create(napi_create_uint32, value);
}

napi_value Conversion::int32(int32_t value) {
  return create(napi_create_int32, value);
}

napi_value Conversion::boolean(bool value) {
  if (value && true_ != nullptr) return true_;
  napi_value result = nullptr;
  if (napi_get_boolean(env_, value, &result) != napi_ok) return fail();
  if (value) true_ = result;
  return result;
}

Fields::Fields(Napi::Env env, const Shape& shape)
    : env_(env), shape_(shape), out_(Conversion::current()) {}

Fields& Fields::push(napi_value value) {
  if (count_ < std::size(inline_)) {
    inline_[count_] = value;
  } else {
    if (overflow_.empty()) overflow_.assign(inline_, inline_ + count_);
    overflow_.push_back(value);
  }
  ++count_;
  return *this;
}

Fields& Fields::text(std::string_view value) {
  return out_ ? push(out_->string(value)) : *this;
}

Fields& Fields::path(std::string_view value) {
  return out_ ? push(out_->path(value)) : *this;
}

Fields& Fields::number(double value) {
  return out_ ? push(out_->number(value)) : *this;
}

Fields& Fields::integer(int32_t value) {
  return out_ ? push(out_->int32(value)) : *this;
}

Fields& Fields::range(const Toolchain::Range& range) {
  if (!out_) return *this;
  push(out_->uint32(range.start.line));
  push(out_->uint32(range.start.character));
  push(out_->uint32(range.end.line));
  return push(out_->uint32(range.end.character));
}

bool Fields::mark(bool present) {
  if (present) present_ |= 1u << optionalBit_;
  ++optionalBit_;
  return present;
}

Fields& Fields::optionalText(bool present, std::string_view value) {
  return mark(present) ? text(value) : *this;
}

Fields& Fields::optionalPath(bool present, std::string_view value) {
  return mark(present) ? path(value) : *this;
}

Fields& Fields::optional(bool present, napi_value value) {
  return mark(present) ? push(value) : *this;
}

Fields& Fields::flag(bool present) {
  return mark(present) && out_ ? push(out_->boolean(true)) : *this;
}

Fields& Fields::element(napi_value value) {
  return push(value);
}

Napi::Object Fields::make() {
  if (out_ == nullptr) {
    Napi::Error::New(env_, "a node was serialised outside a result conversion")
        .ThrowAsJavaScriptException();
    return Napi::Object();
  }
  if (out_->failed()) return Napi::Object();
  napi_value factory = out_->factory(shape_, present_);
  if (factory == nullptr) return Napi::Object();
  const napi_value* args = overflow_.empty() ? inline_ : overflow_.data();
  napi_value result = nullptr;
  if (napi_call_function(env_, factory, factory, count_, args, &result) != napi_ok) {
    out_->fail();
    return Napi::Object();
  }
  return Napi::Object(env_, result);
}

}  // namespace VEXA::Syntax
