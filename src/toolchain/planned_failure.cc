// The failure plan, read from the environment at load.
#include "toolchain/planned_failure.h"

#include <cstdlib>
#include <string_view>

namespace VEXA::Toolchain::PlannedFailure {

namespace {

Plan read() {
  Plan plan;
  const char* variable = std::getenv("VEXA_TEST_FAIL");
  if (variable == nullptr) return plan;
  std::string_view rest(variable);
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    const size_t colon = item.find(':');
    const std::string_view name = item.substr(0, colon);
    size_t count = 0;
    if (colon != std::string_view::npos) {
      for (const char c : item.substr(colon + 1)) {
        if (c < '0' || c > '9') break;
        count = count * 10 + static_cast<size_t>(c - '0');
      }
    }
    if (name == "source") {
      plan.source = true;
    } else if (name == "nodes") {
      plan.nodes = true;
      plan.nodesAfter = count;
    } else if (name == "queue") {
      plan.queue = true;
    }
  }
  return plan;
}

const Plan loaded = read();

}  // namespace

const Plan& plan() {
  return loaded;
}

}  // namespace VEXA::Toolchain::PlannedFailure
