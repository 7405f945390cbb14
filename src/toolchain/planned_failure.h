// Allocations made to fail on purpose, so that tests can see what a parse does without memory.
// The plan is read once, when the library is loaded, from the environment variable
// VEXA_TEST_FAIL, a comma-separated list of:
//   source     the memory for a source copied over several turns (one larger than
//              SourceText::kAtOnce) cannot be had;
//   nodes:N    a parse's node memory cannot grow past its first N fresh allocations (N = 0 when
//              left out);
//   queue      the job of a parse cannot be queued.
// Without it nothing fails on purpose. Each switch is read only where memory or a job is about to
// be taken, never on the paths that run once per token or node.
#pragma once

#include <cstddef>

namespace VEXA::Toolchain::PlannedFailure {

struct Plan {
  bool source = false;
  bool nodes = false;
  size_t nodesAfter = 0;
  bool queue = false;
};

// The plan the library was loaded with.
const Plan& plan();

}  // namespace VEXA::Toolchain::PlannedFailure
