// Fast construction of result objects. Each kind of object the result holds has a fixed layout
// (its properties, in order, some of them optional); for each layout, and each combination of
// optional properties actually met, a small JavaScript factory function is compiled once per
// environment. A node's serialize then makes one call with positional arguments instead of one
// property set per property, and V8 builds the object from a literal with a stable hidden class.
#pragma once

#include "toolchain/position.h"

#include <napi.h>

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace VEXA::Syntax {

enum class Field : uint8_t {
  Required,  // one argument
  Optional,  // one argument when present; left out of the object otherwise
  Range,     // four numbers: start line and character, end line and character
  Rest,      // every remaining argument, as an array; last in a layout
};

struct Property {
  const char* name;
  Field field = Field::Required;
};

// A fixed object layout. Declared as function-local statics next to the serialize that uses them.
class Shape {
 public:
  Shape(std::initializer_list<Property> properties);
  // A layout that extends another: its properties first, then these.
  Shape(const Shape& base, std::initializer_list<Property> properties);

  uint32_t id() const { return id_; }
  const std::vector<Property>& properties() const { return properties_; }

 private:
  uint32_t id_;
  std::vector<Property> properties_;
};

// The compiled factories of one environment, kept as persistent references.
class Factories {
 public:
  ~Factories();
  // The factory for a layout with the optional properties whose bits are set in `present`
  // (bit i for the i-th optional property); null after a failed host call.
  napi_value get(napi_env env, const Shape& shape, uint32_t present);

 private:
  std::unordered_map<uint64_t, napi_ref> references_;
  napi_env env_ = nullptr;
};

// One conversion of a parse result on the JavaScript thread. While it lives, serialize calls on
// this thread reach it through `current`; it caches factory handles and the file path string.
class Conversion {
 public:
  Conversion(Napi::Env env, Factories& factories);
  ~Conversion();
  Conversion(const Conversion&) = delete;
  Conversion& operator=(const Conversion&) = delete;

  // Null outside a conversion.
  static Conversion* current();

  napi_env env() const { return env_; }
  napi_value factory(const Shape& shape, uint32_t present);
  napi_value string(std::string_view text);
  // Every node of a parse names the same file: one string serves them all.
  napi_value path(std::string_view text);
  napi_value number(double value);
  napi_value uint32(uint32_t value);
  napi_value int32(int32_t value);
  napi_value boolean(bool value);

  // Handles live only as long as the handle scope they were made in: the converter calls this
  // when it closes a scope, so that no cached handle outlives its scope.
  void forgetHandles();

  // Set once a host call has failed; the conversion then stops adding work.
  bool failed() const { return failed_; }
  napi_value fail();

 private:
  template <typename T>
  napi_value create(napi_status (*maker)(napi_env, T, napi_value*), T value);

  napi_env env_;
  Factories& factories_;
  Conversion* outer_;
  std::vector<napi_value> cache_;
  const char* pathData_ = nullptr;
  size_t pathSize_ = 0;
  napi_value path_ = nullptr;
  napi_value true_ = nullptr;
  bool failed_ = false;

  // Short texts repeat a lot (mnemonics, register names, numbers): each distinct one becomes one
  // JavaScript string per handle scope. The views point into the nodes being converted.
  struct Interned {
    std::string_view text;
    napi_value value = nullptr;
  };
  static constexpr size_t kInternSlots = 1024;
  static constexpr size_t kInternLongest = 24;
  std::vector<Interned> interned_;
};

// The arguments of one object, in layout order: each call fills the layout's next property
// (a Range takes the four numbers of a range, a Rest property takes any number of `element`s).
// Outside a conversion, or once a host call has failed, the calls do nothing and `make` returns
// an empty object.
class Fields {
 public:
  Fields(Napi::Env env, const Shape& shape);

  Fields& text(std::string_view value);
  Fields& number(double value);
  Fields& integer(int32_t value);
  Fields& range(const Toolchain::Range& range);
  // An optional property; absent when `present` is false.
  Fields& optionalText(bool present, std::string_view value);
  Fields& optionalPath(bool present, std::string_view value);
  Fields& optional(bool present, napi_value value);
  // An optional property that is the boolean true when present.
  Fields& flag(bool present);
  // One element of the Rest property.
  Fields& element(napi_value value);

  Napi::Object make();

 private:
  Fields& push(napi_value value);
  Fields& path(std::string_view value);
  // Records whether the layout's next optional property is present; returns `present`.
  bool mark(bool present);

  napi_env env_;
  const Shape& shape_;
  Conversion* out_;
  uint32_t optionalBit_ = 0;
  uint32_t present_ = 0;
  size_t count_ = 0;
  napi_value inline_[16];
  std::vector<napi_value> overflow_;
};

}  // namespace VEXA::Syntax
