// The device list "Devices.ini": every device instance the Plug and Play
// manager knows, present or not, one numbered section per distinct device,
// with summary and diagnostic sections. Sections in order: [Settings],
// [Errors], [Duplicates], [Empty], the device sections "0", "1", ...,
// [ClassNames].
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "devices/device_properties.h"

namespace tav {

class TMemIniFile;

// The legacy-driver class: its elements are counted and otherwise ignored.
inline constexpr std::string_view kLegacyDriverClass = "{8ECC055D-047F-11D1-A537-0000F8753ED1}";

// Writes the device list to the core work folder + file_name. True when the
// enumeration ran to its end; the file is written whenever no exception
// occurred. Creating the device set failing twice throws std::runtime_error.
// prepare_database runs first (the scan makes sure the database indexes
// exist there); its result does not matter.
bool GenerateDevicesList(std::string_view file_name,
                         const std::function<void()>& prepare_database = {});

// Writes one device section into ini. When description, friendly name and
// class GUID are all empty they are read from the device. False when the
// device has no hardware and no compatible ID (an empty element: counted in
// *empty_count and listed in [Empty]; nothing else is written).
struct DeviceSectionInput {
  DeviceHandle device;
  std::string instance_id;
  std::string description;
  std::string friendly_name;
  std::string class_guid;
  uint32_t index = 0;
  std::string section;
};
bool WriteDeviceSection(const DeviceSectionInput& input, TMemIniFile* ini,
                        int* empty_count = nullptr);

}  // namespace tav
