// Object layouts, their compiled factories, and the writer that fills them.
#include "addon/js_writer.h"

#include <algorithm>
#include <cstring>

namespace VEXA::Addon {

namespace {

constexpr uint64_t kHashStart = 14695981039346656037ull;
constexpr uint64_t kHashPrime = 1099511628211ull;
// The most list elements handed to a factory as separate arguments.
constexpr uint32_t kLongestSpread = 1024;

// A property name as a JavaScript string literal.
void appendQuoted(std::string& out, const char* name) {
  out += '"';
  for (const char* c = name; *c != '\0'; ++c) {
    if (*c == '"' || *c == '\\') out += '\\';
    out += *c;
  }
  out += '"';
}

// The factory's source: a function expression whose parameters p0, p1, … take the arguments in
// property order and which returns the object as a literal.
std::string factorySource(const Layout& layout) {
  std::string params;
  std::string body;
  size_t next = 0;
  auto param = [&](bool rest = false) {
    std::string name(1, 'p');
    name += std::to_string(next++);
    if (!params.empty()) params += ',';
    if (rest) params += "...";
    params += name;
    return name;
  };
  for (const Property& property : layout.properties) {
    if (!body.empty()) body += ',';
    appendQuoted(body, property.name);
    body += ':';
    switch (property.slot) {
      case Slot::Range: {
        const std::string a = param(), b = param(), c = param(), d = param();
        body +=
            "{start:{line:" + a + ",character:" + b + "},end:{line:" + c + ",character:" + d + "}}";
        break;
      }
      case Slot::List:
        body += param(layout.restList);
        break;
      case Slot::Value:
        body += param();
        break;
    }
  }
  return "(function(" + params + "){return {" + body + "};})";
}

bool clearPendingException(napi_env env) {
  bool pending = false;
  if (napi_is_exception_pending(env, &pending) == napi_ok && pending) {
    napi_value ignored = nullptr;
    napi_get_and_clear_last_exception(env, &ignored);
  }
  return pending;
}

}  // namespace

Layouts::~Layouts() {
  for (auto& [hash, layout] : layouts_) {
    if (layout->factory != nullptr) napi_delete_reference(env_, layout->factory);
  }
}

napi_ref Layouts::compile(napi_env env, const Layout& layout) {
  if (compileRefused_) return nullptr;
  const std::string source = factorySource(layout);
  napi_value script = nullptr;
  napi_value factory = nullptr;
  napi_valuetype type = napi_undefined;
  napi_ref reference = nullptr;
  if (napi_create_string_utf8(env, source.data(), source.size(), &script) == napi_ok &&
      napi_run_script(env, script, &factory) == napi_ok &&
      napi_typeof(env, factory, &type) == napi_ok && type == napi_function &&
      napi_create_reference(env, factory, 1, &reference) == napi_ok) {
    return reference;
  }
  // The host forbids compiling (a code-generation policy, a content security hook): build plain
  // objects from now on rather than fail, and leave no exception behind.
  clearPendingException(env);
  compileRefused_ = true;
  return nullptr;
}

Layout& Layouts::find(napi_env env, uint64_t hash, const Property* properties, size_t count) {
  env_ = env;
  auto [first, last] = layouts_.equal_range(hash);
  for (auto it = first; it != last; ++it) {
    const std::vector<Property>& known = it->second->properties;
    if (known.size() == count && std::equal(known.begin(), known.end(), properties)) {
      return *it->second;
    }
  }
  auto layout = std::make_unique<Layout>();
  layout->properties.assign(properties, properties + count);
  layout->lists = static_cast<size_t>(std::count_if(
      properties, properties + count, [](const Property& p) { return p.slot == Slot::List; }));
  layout->restList = layout->lists == 1 && properties[count - 1].slot == Slot::List;
  layout->factory = compile(env, *layout);
  return *layouts_.emplace(hash, std::move(layout))->second;
}

JsWriter::JsWriter(napi_env env, Layouts& layouts)
    : env_(env), layouts_(layouts), interned_(kInternSlots) {}

JsWriter::~JsWriter() {
  if (error_ != nullptr) napi_delete_reference(env_, error_);
}

napi_value JsWriter::fail() {
  if (failed_) return nullptr;
  failed_ = true;
  // Built at once from the host's last error information (or the exception it left pending),
  // before any later call overwrites it, and kept across handle scopes.
  Napi::Error error = Napi::Error::New(env_);
  clearPendingException(env_);
  if (!error.IsEmpty()) napi_create_reference(env_, error.Value(), 1, &error_);
  return nullptr;
}

napi_value JsWriter::error() const {
  napi_value value = nullptr;
  if (error_ != nullptr) napi_get_reference_value(env_, error_, &value);
  return value;
}

void JsWriter::forgetHandles() {
  std::fill(recent_.begin(), recent_.end(), Recent{});
  std::fill(interned_.begin(), interned_.end(), Interned{});
  lastLongData_ = nullptr;
  lastLong_ = nullptr;
  true_ = nullptr;
  false_ = nullptr;
}

napi_value JsWriter::write(const Syntax::Node& node) {
  begin(&node);
  node.describe(*this);
  return end();
}

napi_value JsWriter::write(const Toolchain::Diagnostic& diagnostic) {
  begin(nullptr);
  Syntax::describe(diagnostic, *this);
  return end();
}

void JsWriter::prebuilt(const Syntax::Node* owner, const char* name, napi_ref array) {
  prebuilt_[{owner, name}] = array;
}

void JsWriter::begin(const Syntax::Node* owner) {
  frames_.push_back({owner, args_.size(), properties_.size(), counts_.size(), kHashStart});
}

void JsWriter::add(const char* name, Slot slot) {
  properties_.push_back({name, slot});
  uint64_t& hash = frames_.back().hash;
  hash = (hash ^ reinterpret_cast<uintptr_t>(name)) * kHashPrime;
  hash = (hash ^ static_cast<uint64_t>(slot)) * kHashPrime;
}

void JsWriter::push(napi_value value) {
  args_.push_back(value);
}

napi_value JsWriter::end() {
  const Frame frame = frames_.back();
  frames_.pop_back();
  napi_value result = nullptr;
  if (!failed_) {
    const Property* properties = properties_.data() + frame.properties;
    const size_t count = properties_.size() - frame.properties;
    Recent& recent = recent_[frame.hash & (recent_.size() - 1)];
    if (recent.layout == nullptr || recent.hash != frame.hash ||
        recent.layout->properties.size() != count ||
        !std::equal(properties, properties + count, recent.layout->properties.begin())) {
      const Layout& layout = layouts_.find(env_, frame.hash, properties, count);
      napi_value factory = nullptr;
      if (layout.factory != nullptr &&
          napi_get_reference_value(env_, layout.factory, &factory) != napi_ok) {
        fail();
      }
      recent = {frame.hash, &layout, factory};
    }
    if (!failed_) {
      const napi_value* args = args_.data() + frame.args;
      const uint32_t* counts = counts_.data() + frame.counts;
      // A list passed as rest arguments lands on the engine's stack, element by element: a very
      // long one would overflow it (sooner on a worker thread's smaller stack), so such an object
      // is built property by property instead.
      const bool spreadTooLong = recent.layout->restList && counts[0] > kLongestSpread;
      result = recent.factory != nullptr && !spreadTooLong
                   ? call(*recent.layout, recent.factory, args, args_.size() - frame.args, counts)
                   : plain(*recent.layout, args, counts);
    }
  }
  args_.resize(frame.args);
  properties_.resize(frame.properties);
  counts_.resize(frame.counts);
  return result;
}

napi_value JsWriter::call(const Layout& layout, napi_value factory, const napi_value* args,
                          size_t count, const uint32_t* counts) {
  if (layout.lists > 0 && !layout.restList) {
    // Lists in the middle travel as arrays.
    packed_.clear();
    size_t next = 0;
    size_t list = 0;
    for (const Property& property : layout.properties) {
      switch (property.slot) {
        case Slot::Value:
          packed_.push_back(args[next++]);
          break;
        case Slot::Range:
          packed_.insert(packed_.end(), args + next, args + next + 4);
          next += 4;
          break;
        case Slot::List: {
          const uint32_t length = counts[list++];
          packed_.push_back(array(args + next, length));
          next += length;
          break;
        }
      }
    }
    if (failed_) return nullptr;
    args = packed_.data();
    count = packed_.size();
  }
  napi_value result = nullptr;
  if (napi_call_function(env_, factory, factory, count, args, &result) != napi_ok) return fail();
  return result;
}

napi_value JsWriter::plain(const Layout& layout, const napi_value* args, const uint32_t* counts) {
  napi_value object = nullptr;
  if (napi_create_object(env_, &object) != napi_ok) return fail();
  size_t next = 0;
  size_t list = 0;
  for (const Property& property : layout.properties) {
    napi_value value = nullptr;
    switch (property.slot) {
      case Slot::Value:
        value = args[next++];
        break;
      case Slot::Range:
        value = rangeObject(args + next);
        next += 4;
        break;
      case Slot::List: {
        const uint32_t length = counts[list++];
        value = array(args + next, length);
        next += length;
        break;
      }
    }
    if (failed_ || napi_set_named_property(env_, object, property.name, value) != napi_ok) {
      return fail();
    }
  }
  return object;
}

napi_value JsWriter::array(const napi_value* elements, size_t count) {
  napi_value list = nullptr;
  if (napi_create_array_with_length(env_, count, &list) != napi_ok) return fail();
  for (size_t i = 0; i < count; ++i) {
    if (napi_set_element(env_, list, static_cast<uint32_t>(i), elements[i]) != napi_ok) {
      return fail();
    }
  }
  return list;
}

napi_value JsWriter::rangeObject(const napi_value* numbers) {
  napi_value ends[2] = {nullptr, nullptr};
  for (int i = 0; i < 2; ++i) {
    if (napi_create_object(env_, &ends[i]) != napi_ok ||
        napi_set_named_property(env_, ends[i], "line", numbers[2 * i]) != napi_ok ||
        napi_set_named_property(env_, ends[i], "character", numbers[2 * i + 1]) != napi_ok) {
      return fail();
    }
  }
  napi_value range = nullptr;
  if (napi_create_object(env_, &range) != napi_ok ||
      napi_set_named_property(env_, range, "start", ends[0]) != napi_ok ||
      napi_set_named_property(env_, range, "end", ends[1]) != napi_ok) {
    return fail();
  }
  return range;
}

napi_value JsWriter::string(std::string_view text) {
  // An empty view may have no data at all (the path of a made-up token), and memcmp and memcpy
  // must not be given a null pointer even for zero bytes.
  if (text.data() == nullptr) text = std::string_view("", 0);
  Interned* slot = nullptr;
  if (text.size() <= kInternLongest) {
    uint32_t hash = 2166136261u;
    for (const char c : text) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    slot = &interned_[hash & (kInternSlots - 1)];
    if (slot->value != nullptr && slot->size == text.size() &&
        std::memcmp(slot->bytes, text.data(), text.size()) == 0) {
      return slot->value;
    }
  } else if (lastLong_ != nullptr && text.data() == lastLongData_ && text.size() == lastLongSize_) {
    return lastLong_;
  }
  // Plain ASCII needs no UTF-8 decoding: the engine copies it as it is.
  bool ascii = true;
  for (const char c : text) ascii &= static_cast<uint8_t>(c) < 0x80;
  napi_value value = nullptr;
  const napi_status status = ascii
                                 ? napi_create_string_latin1(env_, text.data(), text.size(), &value)
                                 : napi_create_string_utf8(env_, text.data(), text.size(), &value);
  if (status != napi_ok) return fail();
  if (slot != nullptr) {
    slot->size = static_cast<uint8_t>(text.size());
    std::memcpy(slot->bytes, text.data(), text.size());
    slot->value = value;
  } else {
    lastLongData_ = text.data();
    lastLongSize_ = text.size();
    lastLong_ = value;
  }
  return value;
}

Syntax::Writer& JsWriter::range(const char* name, const Toolchain::Range& value) {
  add(name, Slot::Range);
  const uint32_t numbers[4] = {value.start.line, value.start.character, value.end.line,
                               value.end.character};
  for (const uint32_t number : numbers) {
    napi_value handle = nullptr;
    if (napi_create_uint32(env_, number, &handle) != napi_ok) fail();
    push(handle);
  }
  return *this;
}

Syntax::Writer& JsWriter::integer(const char* name, int64_t value) {
  add(name, Slot::Value);
  napi_value handle = nullptr;
  const napi_status status = value >= INT32_MIN && value <= INT32_MAX
                                 ? napi_create_int32(env_, static_cast<int32_t>(value), &handle)
                                 : napi_create_double(env_, static_cast<double>(value), &handle);
  if (status != napi_ok) fail();
  push(handle);
  return *this;
}

Syntax::Writer& JsWriter::number(const char* name, double value) {
  add(name, Slot::Value);
  napi_value handle = nullptr;
  if (napi_create_double(env_, value, &handle) != napi_ok) fail();
  push(handle);
  return *this;
}

Syntax::Writer& JsWriter::text(const char* name, std::string_view value) {
  add(name, Slot::Value);
  push(string(value));
  return *this;
}

Syntax::Writer& JsWriter::boolean(const char* name, bool value) {
  add(name, Slot::Value);
  napi_value& cached = value ? true_ : false_;
  if (cached == nullptr && napi_get_boolean(env_, value, &cached) != napi_ok) fail();
  push(cached);
  return *this;
}

Syntax::Writer& JsWriter::texts(const char* name, const std::vector<std::string>& values) {
  add(name, Slot::Value);
  napi_value list = nullptr;
  if (napi_create_array_with_length(env_, values.size(), &list) != napi_ok) {
    fail();
  } else {
    for (size_t i = 0; i < values.size() && !failed_; ++i) {
      if (napi_set_element(env_, list, static_cast<uint32_t>(i), string(values[i])) != napi_ok) {
        fail();
      }
    }
  }
  push(list);
  return *this;
}

Syntax::Writer& JsWriter::node(const char* name, const Syntax::Node& value) {
  add(name, Slot::Value);
  push(write(value));
  return *this;
}

Syntax::Writer& JsWriter::nodes(const char* name, const Syntax::NodeList& values) {
  if (!prebuilt_.empty()) {
    const auto found = prebuilt_.find({frames_.back().owner, name});
    if (found != prebuilt_.end()) {
      // Converted ahead: one ready array, and an object of the same shape.
      add(name, Slot::Value);
      napi_value array = nullptr;
      if (napi_get_reference_value(env_, found->second, &array) != napi_ok) fail();
      push(array);
      return *this;
    }
  }
  add(name, Slot::List);
  counts_.push_back(static_cast<uint32_t>(values.size()));
  for (const auto& value : values) push(write(*value));
  return *this;
}

}  // namespace VEXA::Addon
