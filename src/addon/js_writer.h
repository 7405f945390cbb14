// The JavaScript writer: turns node and diagnostic descriptions into plain JavaScript objects.
//
// Every distinct sequence of properties a description produces is an object layout. For each
// layout a small factory function is compiled once per environment, so that an object costs one
// call with positional arguments (and gets a stable hidden class) instead of one property set per
// property. Factories are compiled as scripts through the embedder's interface, never through the
// global `Function`, which a program may replace or a hardened host may forbid; where the host
// refuses to compile anyway, the same objects are built with plain property sets.
#pragma once

#include "syntax/node.h"
#include "syntax/writer.h"
#include "toolchain/diagnostic.h"

#include <napi.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace VEXA::Addon {

// How a property's value travels to the factory.
enum class Slot : uint8_t {
  Value,  // one argument
  Range,  // four numbers: start line and character, end line and character
  List,   // its elements, as an array (or as the rest arguments when it is the last property)
};

struct Property {
  const char* name;
  Slot slot;
  bool operator==(const Property& other) const { return name == other.name && slot == other.slot; }
};

struct Layout {
  std::vector<Property> properties;
  // The only list is the last property: its elements are the factory's rest arguments.
  bool restList = false;
  size_t lists = 0;
  // The compiled factory; null where the host refused to compile it.
  napi_ref factory = nullptr;
};

// The layouts met in one environment, with their factories.
class Layouts {
 public:
  Layouts() = default;
  ~Layouts();
  Layouts(const Layouts&) = delete;
  Layouts& operator=(const Layouts&) = delete;

  // The layout of this property sequence, made (and its factory compiled) on first use.
  Layout& find(napi_env env, uint64_t hash, const Property* properties, size_t count);

 private:
  napi_ref compile(napi_env env, const Layout& layout);

  napi_env env_ = nullptr;
  bool compileRefused_ = false;
  std::unordered_multimap<uint64_t, std::unique_ptr<Layout>> layouts_;
};

// One conversion of a parse result on the JavaScript thread.
class JsWriter final : public Syntax::Writer {
 public:
  JsWriter(napi_env env, Layouts& layouts);
  ~JsWriter() override;
  JsWriter(const JsWriter&) = delete;
  JsWriter& operator=(const JsWriter&) = delete;

  // The object of one node or diagnostic; null once any host call has failed.
  napi_value write(const Syntax::Node& node);
  napi_value write(const Toolchain::Diagnostic& diagnostic);

  // Handles live only as long as the handle scope they were made in: the caller says when it
  // closes one, so that no cached handle outlives its scope.
  void forgetHandles();

  // From now on the list `name` of `owner` is written as this array, converted ahead (a long
  // list, addon/long_lists.h); the reference stays the caller's.
  void prebuilt(const Syntax::Node* owner, const char* name, napi_ref array);
  void forgetPrebuilt() { prebuilt_.clear(); }

  bool failed() const { return failed_; }
  // The error of the first failed host call, as a handle of the current scope.
  napi_value error() const;
  // Marks the conversion as failed with the host's last error (or its pending exception).
  napi_value fail();

  Writer& range(const char* name, const Toolchain::Range& value) override;
  Writer& integer(const char* name, int64_t value) override;
  Writer& number(const char* name, double value) override;
  Writer& text(const char* name, std::string_view value) override;
  Writer& boolean(const char* name, bool value) override;
  Writer& texts(const char* name, const std::vector<std::string>& values) override;
  Writer& node(const char* name, const Syntax::Node& value) override;
  Writer& nodes(const char* name, const Syntax::NodeList& values) override;

 private:
  struct Frame {
    const Syntax::Node* owner;
    size_t args;
    size_t properties;
    size_t counts;
    uint64_t hash;
  };

  void begin(const Syntax::Node* owner);
  napi_value end();
  void add(const char* name, Slot slot);
  void push(napi_value value);
  napi_value string(std::string_view text);
  napi_value array(const napi_value* elements, size_t count);
  napi_value rangeObject(const napi_value* numbers);
  napi_value plain(const Layout& layout, const napi_value* args, const uint32_t* counts);
  napi_value call(const Layout& layout, napi_value factory, const napi_value* args, size_t count,
                  const uint32_t* counts);

  napi_env env_;
  Layouts& layouts_;
  bool failed_ = false;
  napi_ref error_ = nullptr;

  // The arguments, property sequences and list lengths of the objects being written, innermost
  // last; each open object owns the tail from its frame's marks on.
  std::vector<napi_value> args_;
  std::vector<Property> properties_;
  std::vector<uint32_t> counts_;
  std::vector<Frame> frames_;
  std::vector<napi_value> packed_;
  std::map<std::pair<const Syntax::Node*, const char*>, napi_ref> prebuilt_;

  // Layouts and factory handles recently used, by the hash of their property sequence.
  struct Recent {
    uint64_t hash = 0;
    const Layout* layout = nullptr;
    napi_value factory = nullptr;
  };
  std::array<Recent, 256> recent_{};

  // Short texts repeat a lot (mnemonics, register names, numbers, codes): each distinct one
  // becomes one JavaScript string per handle scope. The bytes are copied, since a text may live
  // in a buffer that is reused for other bytes.
  static constexpr size_t kInternSlots = 1024;
  static constexpr size_t kInternLongest = 24;
  struct Interned {
    uint8_t size = 0;
    char bytes[kInternLongest];
    napi_value value = nullptr;
  };
  std::vector<Interned> interned_;
  // Every node names the same file: a longer text met again at the same address is the same
  // string (node and diagnostic texts do not move or change during a conversion).
  const char* lastLongData_ = nullptr;
  size_t lastLongSize_ = 0;
  napi_value lastLong_ = nullptr;
  napi_value true_ = nullptr;
  napi_value false_ = nullptr;
};

}  // namespace VEXA::Addon
