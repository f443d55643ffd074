// Device descriptions used as names (the device list's DeviceDesc).
#pragma once

#include <string>
#include <string_view>

namespace tav {

// Drops everything up to the first ";" (an INF string reference such as
// "@oem12.inf,%dev%;Name"), replaces path and markup characters by "_" or
// blanks, deletes brackets, trims.
std::string CleanDescription(std::string_view text);

}  // namespace tav
