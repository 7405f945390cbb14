// The diagnostic list.
#include "toolchain/diagnostic.h"

#include <algorithm>

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

Diagnostic& Diagnostics::add(Code code, Severity severity, const Range& range) {
  Diagnostic& stored = entries_.emplace_back();
  stored.code = code;
  stored.range = range;
  stored.severity = severity;
  return stored;
}

size_t Diagnostics::reported() const {
  return static_cast<size_t>(std::min<uint64_t>(limit_, entries_.size()));
}

}  // namespace VEXA::Toolchain
