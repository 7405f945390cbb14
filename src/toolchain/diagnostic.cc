// Diagnostic records and their JavaScript shape ({code: "VEXA<n>", severity, args?, range?}).
#include "toolchain/diagnostic.h"

#include "toolchain/object_shape.h"

#include <algorithm>
#include <cstdio>

namespace VEXA::Toolchain {

namespace {
// Room set aside up front. A caller may pass a huge limit; reserving that much would make the parse
// fail on memory for no reason, so only a modest amount is reserved and the vector grows past it.
constexpr uint64_t kReserveAtMost = 64;
}  // namespace

Diagnostics::Diagnostics(uint64_t limitRule)
    : limit_(limitRule == 0 ? std::numeric_limits<uint64_t>::max() : limitRule) {
  entries_.reserve(static_cast<size_t>(std::min(limit_, kReserveAtMost)));
}

Diagnostic& Diagnostics::add(const Diagnostic& diagnostic) {
  entries_.push_back(diagnostic);
  return entries_.back();
}

Diagnostic& Diagnostics::add(uint16_t code, Severity severity, const Range& range) {
  Diagnostic& stored = entries_.emplace_back();
  stored.code = code;
  stored.range = range;
  stored.severity = severity;
  return stored;
}

size_t Diagnostics::reported() const {
  return static_cast<size_t>(std::min<uint64_t>(limit_, entries_.size()));
}

Napi::Object Diagnostic::serialize(Napi::Env env) const {
  // The range is optional in the record, though every diagnostic raised here has one.
  static const Syntax::Shape withRange{
      {"code"}, {"severity"}, {"args", Syntax::Field::Optional}, {"range", Syntax::Field::Range}};
  static const Syntax::Shape withoutRange{
      {"code"}, {"severity"}, {"args", Syntax::Field::Optional}};
  Syntax::Fields fields(env, range ? withRange : withoutRange);
  char code[16];
  const int length = std::snprintf(code, sizeof code, "VEXA%u", static_cast<unsigned>(this->code));
  fields.text(std::string_view(code, static_cast<size_t>(length)))
      .integer(static_cast<int32_t>(severity));
  Napi::Array list;
  if (!args.empty()) {
    list = Napi::Array::New(env, args.size());
    for (size_t i = 0; i < args.size(); ++i) {
      list.Set(static_cast<uint32_t>(i), Napi::String::New(env, args[i]));
    }
  }
  fields.optional(!args.empty(), list);
  if (range) fields.range(*range);
  return fields.make();
}

Napi::Array Diagnostics::serialize(Napi::Env env) const {
  const size_t count = reported();
  Napi::Array list = Napi::Array::New(env, count);
  for (size_t i = 0; i < count; ++i) list.Set(static_cast<uint32_t>(i), entries_[i].serialize(env));
  return list;
}

}  // namespace VEXA::Toolchain
