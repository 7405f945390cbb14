// Allocations made to fail on purpose, so that tests can see what a parse does without memory.
// Nothing fails unless a test asks for it through the addon's test hook (`testing({fail})`, which
// the package does not export), with a comma-separated list of:
//   source     the memory for a source copied over several turns (one larger than
//              SourceText::kAtOnce) cannot be had;
//   nodes:N    a parse's node memory cannot grow past its first N fresh allocations (N = 0 when
//              left out);
//   queue      the job of a parse cannot be queued.
// The plan is process-wide. Each switch is read only where memory or a job is about to be taken,
// never on the paths that run once per token or node.
#pragma once

#include <cstddef>
#include <string_view>

namespace VEXA::Toolchain::PlannedFailure {

struct Plan {
  bool source = false;
  bool nodes = false;
  size_t nodesAfter = 0;
  bool queue = false;
};

// The plan in force now.
Plan plan();

// Replaces the plan with the one `text` describes (empty: nothing fails); unknown items are
// ignored.
void set(std::string_view text);

}  // namespace VEXA::Toolchain::PlannedFailure
