// Per-environment data.
#include "addon/instance_data.h"

namespace VEXA::Addon {

InstanceData& InstanceData::Get(Napi::Env env) {
  InstanceData* data = env.GetInstanceData<InstanceData>();
  if (data == nullptr) {
    data = new InstanceData();
    env.SetInstanceData(data);
  }
  return *data;
}

}  // namespace VEXA::Addon
