// Finding a device of an information set by its instance ID.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/device_manager.h"

namespace tav {

struct FoundDevice {
  platform::DeviceInfoData element;
  uint32_t index = 0;
};

// Compares the instance IDs lower-cased from element 0 on; enumeration and
// ID errors are logged and the search goes on; "Not found" is logged at the end.
bool FindDevice(const platform::DeviceInfoSet& set, std::string_view instance_id, FoundDevice* found);

// The instance ID without its last "\" component
// (USB\VID_046D&PID_C52B\6&1A2B&0&1 → USB\VID_046D&PID_C52B).
std::string_view InstanceIdWithoutLastPart(std::string_view instance_id);

}  // namespace tav
