// Diagnostics: one problem found in the source, and the per-parse list that collects them in the
// order they were raised.
#pragma once

#include "toolchain/codes.h"
#include "toolchain/position.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace VEXA::Toolchain {

struct Diagnostic {
  Code code{};
  Severity severity = Severity::Unset;
  std::optional<Range> range;
  std::vector<std::string> args;
};

class Diagnostics {
 public:
  // A limit of 0 means "report everything".
  explicit Diagnostics(uint64_t limitRule);

  // Appends a copy and returns the stored entry, valid until the next add.
  Diagnostic& add(const Diagnostic& diagnostic);
  // Convenience for the common case: stores a diagnostic with its final severity.
  Diagnostic& add(Code code, Severity severity, const Range& range);

  uint64_t limit() const { return limit_; }
  const std::vector<Diagnostic>& entries() const { return entries_; }
  // Number of entries the result reports: the first `limit` ones.
  size_t reported() const;

 private:
  uint64_t limit_;
  std::vector<Diagnostic> entries_;
};

}  // namespace VEXA::Toolchain
