// What the matching knows of one device from its section of the device list:
// the installed driver's version, date and provider, the inbox, failed and
// driverless flags, and the normalized vendor names it carries.
#pragma once

#include <string>
#include <string_view>

#include "core/date_time.h"

namespace tav {

class TMemIniFile;

struct DeviceFacts {
  std::string installed_version;
  DateTime installed_date = 0;
  std::string installed_provider;
  bool inbox = false;
  bool failed = false;
  bool driverless = false;
  std::string reg_manufacturer, drv_manufacturer, dev_manufacturer;
  std::string reg_provider, drv_provider, dev_provider;
  std::string device_description;  // DeviceDescRaw
  std::string bus_description;     // DevBusDesc
  std::string class_name;
  std::string regular_ids;  // HardwareIDregular
  std::string compatible_ids;
};

DeviceFacts ReadDeviceFacts(const TMemIniFile& devices, std::string_view section);

// A version that says something: not empty, "Unknown" or "0.0.0.0".
bool UsableDriverVersion(std::string_view version);

}  // namespace tav
