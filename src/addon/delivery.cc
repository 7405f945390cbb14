// The chunk queue between a parse job and its decoding.
#include "addon/delivery.h"

#include <utility>

namespace VEXA::Addon::Parse {

namespace {

// Decoded chunks kept for reuse: the job writes one while the decoding reads another, and a few
// more absorb the decoding falling behind for a moment.
constexpr size_t kSpares = 4;

}  // namespace

size_t footprint(const Syntax::CompactWriter::Chunk& chunk) {
  return chunk.stream.capacity() * sizeof(int32_t) + chunk.texts.capacity() * sizeof(uint32_t) +
         chunk.bytes.capacity();
}

uint32_t Delivery::push(Parcel parcel) {
  std::lock_guard<std::mutex> lock(mutex_);
  ready_.push_back(std::move(parcel));
  return std::exchange(waiting_, 0);
}

std::vector<int32_t> Delivery::spare() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (spare_.empty()) return {};
  std::vector<int32_t> words = std::move(spare_.back());
  spare_.pop_back();
  return words;
}

bool Delivery::pop(Parcel& parcel) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (ready_.empty()) return false;
  parcel = std::move(ready_.front());
  ready_.pop_front();
  return true;
}

void Delivery::recycle(std::vector<int32_t> words) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Once the job has ended nobody writes again; the memory goes with `words`.
  if (!ended_ && spare_.size() < kSpares) spare_.push_back(std::move(words));
}

bool Delivery::park(uint32_t ticket) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!ready_.empty() || ended_) return false;
  waiting_ = ticket;
  return true;
}

uint32_t Delivery::end(std::string failure) {
  std::lock_guard<std::mutex> lock(mutex_);
  ended_ = true;
  failure_ = std::move(failure);
  spare_.clear();
  return std::exchange(waiting_, 0);
}

std::string Delivery::failure() {
  std::lock_guard<std::mutex> lock(mutex_);
  return failure_;
}

}  // namespace VEXA::Addon::Parse
