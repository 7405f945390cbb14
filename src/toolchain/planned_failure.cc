// The failure plan tests set; read from pool threads while parses run, hence atomics.
#include "toolchain/planned_failure.h"

#include <atomic>

namespace VEXA::Toolchain::PlannedFailure {

namespace {

std::atomic<bool> source{false};
std::atomic<bool> nodes{false};
std::atomic<size_t> nodesAfter{0};
std::atomic<bool> queue{false};

}  // namespace

Plan plan() {
  Plan now;
  now.source = source.load(std::memory_order_relaxed);
  now.nodes = nodes.load(std::memory_order_relaxed);
  now.nodesAfter = nodesAfter.load(std::memory_order_relaxed);
  now.queue = queue.load(std::memory_order_relaxed);
  return now;
}

void set(std::string_view text) {
  Plan next;
  std::string_view rest = text;
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
      next.source = true;
    } else if (name == "nodes") {
      next.nodes = true;
      next.nodesAfter = count;
    } else if (name == "queue") {
      next.queue = true;
    }
  }
  source.store(next.source, std::memory_order_relaxed);
  nodes.store(next.nodes, std::memory_order_relaxed);
  nodesAfter.store(next.nodesAfter, std::memory_order_relaxed);
  queue.store(next.queue, std::memory_order_relaxed);
}

}  // namespace VEXA::Toolchain::PlannedFailure
