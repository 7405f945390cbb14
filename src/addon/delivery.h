// The chunks of one parse's encoding on their way from the parse job (a pool thread) to its
// decoding (the JavaScript thread), and the memory of decoded chunks on its way back, so that the
// job writes its next records into pages that are already in memory.
//
// The decoding waits for chunks under a ticket (addon/later.h); the job hands that ticket back
// when it queues a chunk, so that exactly one party wakes the decoding, and no chunk is missed
// between the decoding's last look and its wait.
#pragma once

#include "syntax/compact_writer.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace VEXA::Addon::Parse {

class Delivery {
 public:
  struct Parcel {
    Syntax::CompactWriter::Chunk chunk;
    // The result's last chunk, with the result's "optimize" mask.
    bool last = false;
    uint32_t optimize = 0;
  };

  // Job side: queues `parcel`. The ticket of the decoding to wake, now no longer waiting; 0 when
  // it is not waiting.
  uint32_t push(Parcel parcel);
  // Job side: the memory of a decoded chunk's records, or an empty vector.
  std::vector<int32_t> spare();

  // Decoding side: the next chunk, if one is queued.
  bool pop(Parcel& parcel);
  // Decoding side: a decoded chunk's records, for the job to reuse.
  void recycle(std::vector<int32_t> words);
  // Decoding side: waits under `ticket` for the next chunk or the job's end; false, without
  // waiting, when either is already there.
  bool park(uint32_t ticket);

  // At the job's end, on the JavaScript thread: the ticket of the waiting decoding, now no longer
  // waiting, or 0. `failure`: why the result is refused; empty when it is not.
  uint32_t end(std::string failure);
  // Why the result is refused; empty while it is not.
  std::string failure();

 private:
  std::mutex mutex_;
  std::deque<Parcel> ready_;
  std::vector<std::vector<int32_t>> spare_;
  uint32_t waiting_ = 0;
  bool ended_ = false;
  std::string failure_;
};

// The bytes a chunk holds.
size_t footprint(const Syntax::CompactWriter::Chunk& chunk);

}  // namespace VEXA::Addon::Parse
