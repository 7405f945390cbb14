// Per-environment data.
#include "addon/instance_data.h"

#include "addon/later.h"
#include "addon/watch.h"

namespace VEXA::Addon {

InstanceData::~InstanceData() {
  for (auto& [ticket, job] : waiting_) delete job;
  waiting_.clear();
}

uint32_t InstanceData::wait(Sliced* job) {
  // Zero is never a ticket; tickets wrap after four thousand million hops, long after the jobs
  // that held the small ones have ended.
  do {
    ++tickets_;
  } while (tickets_ == 0 || waiting_.count(tickets_) != 0);
  waiting_.emplace(tickets_, job);
  return tickets_;
}

Sliced* InstanceData::take(uint32_t ticket) {
  const auto found = waiting_.find(ticket);
  if (found == waiting_.end()) return nullptr;
  Sliced* job = found->second;
  waiting_.erase(found);
  return job;
}

InstanceData& InstanceData::Get(Napi::Env env) {
  InstanceData* data = env.GetInstanceData<InstanceData>();
  if (data == nullptr) {
    data = new InstanceData();
    env.SetInstanceData(data);
  }
  return *data;
}

}  // namespace VEXA::Addon
