#include "devices/device_lookup.h"

#include <string>

#include "core/log_engine.h"
#include "platform/text.h"
#include "platform/win_errors.h"

namespace tav {

bool FindDevice(const platform::DeviceInfoSet& set,
                std::string_view instance_id,
                FoundDevice* found) {
  for (uint32_t index = 0;; ++index) {
    platform::DeviceInfoData element;
    int32_t error = 0;
    // Built only for a failure: the walk runs once per device of a scan.
    auto params = [&] {
      return "InstanceID=" + std::string(instance_id) + ", Devn=" + std::to_string(index);
    };
    if (!set.EnumDeviceInfo(index, &element, &error)) {
      if (error == win_error::kNoMoreItems)
        break;
      XLog::Error("FindDevice", "SetupDiEnumDeviceInfo fail", error, params());
      // An element that cannot be read is skipped; a set that has no more
      // answers ends the search, so a broken set cannot loop for ever.
      if (index > 100000)
        break;
      continue;
    }
    std::string id;
    if (!set.GetDeviceInstanceId(element, &id, &error)) {
      XLog::Error("FindDevice", "SetupDiGetDeviceInstanceId fail", error, params());
      continue;
    }
    if (EqualsIgnoreCase(id, instance_id)) {
      found->element = element;
      found->index = index;
      return true;
    }
  }
  XLog::Log("FindDevice", "Not found");
  return false;
}

std::string_view InstanceIdWithoutLastPart(std::string_view instance_id) {
  const size_t slash = instance_id.rfind('\\');
  return slash == std::string_view::npos ? instance_id : instance_id.substr(0, slash);
}

}  // namespace tav
