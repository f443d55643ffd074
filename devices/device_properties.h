// Readers of what the Plug and Play manager and the registry report about a
// device: device properties, registry properties, the driver's class key,
// the program's per-device storage key, class names, the installed driver's
// parameters and the device status. Readers never fail: they log what is
// unexpected and answer an empty text, 0 or "Unknown". A missing property
// (kNotFound, kInvalidData) is not logged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/date_time.h"
#include "devices/device_state_names.h"
#include "platform/device_manager.h"

namespace tav {

class TMemIniFile;

namespace devpkey {
extern const platform::DevPropKey kBusReportedDeviceDesc;
extern const platform::DevPropKey kDriverDate;
extern const platform::DevPropKey kDriverVersion;
extern const platform::DevPropKey kDriverDesc;
extern const platform::DevPropKey kMatchingDeviceId;
extern const platform::DevPropKey kDriverProvider;
extern const platform::DevPropKey kManufacturer;
extern const platform::DevPropKey kFriendlyName;
extern const platform::DevPropKey kInstallDate;
extern const platform::DevPropKey kFirstInstallDate;
extern const platform::DevPropKey kDrvPkgModel;
extern const platform::DevPropKey kDrvPkgVendorWebSite;
extern const platform::DevPropKey kDrvPkgDetailedDescription;
}  // namespace devpkey

// A device: its information set and element.
struct DeviceHandle {
  const platform::DeviceInfoSet* set = nullptr;
  platform::DeviceInfoData element;
};

// Device properties (not read at all on Windows XP and older): the trimmed
// text, or "ERROR: " + the system message + " " + the code for a failure
// other than a missing property.
std::string ReadDeviceStringProperty(const DeviceHandle& device, const platform::DevPropKey& key);
DateTime ReadDeviceDateProperty(const DeviceHandle& device, const platform::DevPropKey& key);

// Registry properties: the trimmed text (the first string of a multi-string),
// or "ERROR: " + the system message for a failure other than kInvalidData.
std::string ReadRegistryStringProperty(const DeviceHandle& device, uint32_t property);
uint32_t ReadRegistryDwordProperty(const DeviceHandle& device, uint32_t property);

// Values of the driver key HKLM\SYSTEM\CurrentControlSet\Control\Class\ +
// driver key: REG_SZ only, and REG_BINARY FILETIMEs for dates.
std::string ReadClassKeyString(std::string_view driver_key, std::string_view name);
DateTime ReadClassKeyDate(std::string_view driver_key, std::string_view name);

// The per-device storage key: the key below, under HKEY_LOCAL_MACHINE,
// followed by the device instance ID.
inline constexpr std::string_view kDeviceStorageKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\DriverSettings\\";
std::string ReadDeviceStorageString(std::string_view instance_id, std::string_view name);
void WritePseudoEnumRegistryStringProperty(std::string_view instance_id, std::string_view name,
                                           std::string_view text);

// The class description, cached per class for the life of the process;
// "Unknown" when the class has none.
std::string GetFriendlyClassName(std::string_view class_guid);

struct DriverParameters {
  std::string provider;
  std::string manufacturer;
  std::string version;
  DateTime date = 0;
};

// The installed driver of the device with that instance ID in the set;
// failures are logged and added to the [Errors] section of errors_ini.
bool GetDriverParameters(platform::DeviceInfoSet& set, std::string_view instance_id,
                         TMemIniFile* errors_ini, DriverParameters* parameters);

// CM_Get_DevNode_Status: the CR_ code, and on success the flags, problem and
// the status derived from them.
uint32_t QueryDeviceStatus(uint32_t dev_inst, uint32_t* flags, uint32_t* problem,
                           DeviceStatus* status);

// The key of an [Errors], [Duplicates] or [Empty] entry: the element index
// and the tick count, which keeps keys unique.
std::string ErrorEntryKey(uint32_t index);
// "name argument: system message code".
std::string ErrorEntryText(std::string_view call, int32_t code);

}  // namespace tav
