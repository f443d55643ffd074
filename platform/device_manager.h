// The Plug and Play manager: device information sets, device registry
// properties (SPDRP codes), device properties (property keys), device-node
// status, class descriptions and image indexes, and the driver information
// of a device's installed driver. The calls keep the semantics and error
// codes of SetupAPI and the Configuration Manager:
//
//   missing registry property      kInvalidData (13)
//   missing device property        kNotFound (1168)
//   end of an enumeration          kNoMoreItems (259)
//   unknown class                  kSetupInvalidClass (0xE0000206)
//   CM_Get_DevNode_Status          CR_ codes: kCrSuccess, kCrNoSuchDevnode for an absent device
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tav::platform {

namespace setup_error {
inline constexpr int32_t kInvalidClass = static_cast<int32_t>(0xE0000206u);
inline constexpr int32_t kNoSuchDevinst = static_cast<int32_t>(0xE000020Bu);
inline constexpr int32_t kInvalidDevinstName = static_cast<int32_t>(0xE0000205u);
inline constexpr int32_t kNoDriverSelected = static_cast<int32_t>(0xE0000203u);
}  // namespace setup_error

namespace cr {
inline constexpr uint32_t kSuccess = 0x00;
inline constexpr uint32_t kNoSuchDevnode = 0x0D;
inline constexpr uint32_t kFailure = 0x13;
}  // namespace cr

// SPDRP codes of the registry properties the program reads.
namespace spdrp {
inline constexpr uint32_t kDeviceDesc = 0x00;
inline constexpr uint32_t kHardwareId = 0x01;
inline constexpr uint32_t kCompatibleIds = 0x02;
inline constexpr uint32_t kService = 0x04;
inline constexpr uint32_t kClass = 0x07;
inline constexpr uint32_t kClassGuid = 0x08;
inline constexpr uint32_t kDriver = 0x09;
inline constexpr uint32_t kConfigFlags = 0x0A;
inline constexpr uint32_t kMfg = 0x0B;
inline constexpr uint32_t kFriendlyName = 0x0C;
inline constexpr uint32_t kLocationInformation = 0x0D;
inline constexpr uint32_t kPhysicalDeviceObjectName = 0x0E;
inline constexpr uint32_t kCapabilities = 0x0F;
inline constexpr uint32_t kUiNumber = 0x10;
inline constexpr uint32_t kUpperFilters = 0x11;
inline constexpr uint32_t kLowerFilters = 0x12;
inline constexpr uint32_t kBusTypeGuid = 0x13;
inline constexpr uint32_t kLegacyBusType = 0x14;
inline constexpr uint32_t kBusNumber = 0x15;
inline constexpr uint32_t kEnumeratorName = 0x16;
inline constexpr uint32_t kCharacteristics = 0x1B;
inline constexpr uint32_t kAddress = 0x1C;
inline constexpr uint32_t kUiNumberDescFormat = 0x1D;
inline constexpr uint32_t kInstallState = 0x22;
}  // namespace spdrp

// A device property key: the property set's GUID in braces and the property
// number, as DEVPROPKEY.
struct DevPropKey {
  std::string fmtid;  // "{540B947E-8B40-45BC-A8A2-6A0B894CBDA2}"
  uint32_t pid = 0;
};

// DEVPROPTYPE values the program meets.
namespace devprop_type {
inline constexpr uint32_t kString = 0x12;
inline constexpr uint32_t kFileTime = 0x10;
inline constexpr uint32_t kUint32 = 0x07;
inline constexpr uint32_t kBoolean = 0x11;
inline constexpr uint32_t kStringList = 0x2012;
}  // namespace devprop_type

struct PropertyValue {
  uint32_t type = 0;  // REG_ type for registry properties, DEVPROPTYPE for device properties
  std::vector<uint8_t> data;
};

// SP_DEVINFO_DATA: the element of a set.
struct DeviceInfoData {
  std::string class_guid;  // "{4D36E972-E325-11CE-BFC1-08002BE10318}"
  uint32_t dev_inst = 0;   // device-node handle, for the Configuration Manager calls
};

// SP_DRVINFO_DATA with the parts of SP_DRVINFO_DETAIL_DATA that the program reads.
struct DriverInfo {
  std::string description;
  std::string manufacturer;  // MfgName
  std::string provider;      // ProviderName
  uint64_t driver_date = 0;  // FILETIME
  uint64_t driver_version = 0;
  std::string inf_file;
  std::string section;
  std::string hardware_id;
};

// SP_DEVINSTALL_PARAMS, as far as the program changes it.
struct DeviceInstallParams {
  uint32_t flags = 0;
  uint32_t flags_ex = 0;
};

// A device information set (HDEVINFO). Elements are enumerated in a stable
// order; the set sees the devices as they were when it was made.
class DeviceInfoSet {
 public:
  DeviceInfoSet();
  ~DeviceInfoSet();
  DeviceInfoSet(DeviceInfoSet&&) noexcept;
  DeviceInfoSet& operator=(DeviceInfoSet&&) noexcept;

  // SetupDiGetClassDevs(NULL, NULL, NULL, DIGCF_ALLCLASSES): every device of
  // every class, present or not.
  bool CreateForAllDevices(int32_t* error = nullptr);
  bool IsValid() const;
  // SetupDiDestroyDeviceInfoList.
  bool Destroy(int32_t* error = nullptr);

  bool EnumDeviceInfo(uint32_t index, DeviceInfoData* element, int32_t* error = nullptr) const;
  bool GetDeviceInstanceId(const DeviceInfoData& element, std::string* id,
                           int32_t* error = nullptr) const;
  bool GetDeviceRegistryProperty(const DeviceInfoData& element, uint32_t property,
                                 PropertyValue* value, int32_t* error = nullptr) const;
  bool GetDeviceProperty(const DeviceInfoData& element, const DevPropKey& key,
                         PropertyValue* value, int32_t* error = nullptr) const;

  bool GetDeviceInstallParams(const DeviceInfoData& element, DeviceInstallParams* params,
                              int32_t* error = nullptr) const;
  bool SetDeviceInstallParams(const DeviceInfoData& element, const DeviceInstallParams& params,
                              int32_t* error = nullptr);
  // SetupDiBuildDriverInfoList(SPDIT_COMPATDRIVER); with
  // DI_FLAGSEX_INSTALLEDDRIVER set in the install parameters the list holds
  // only the installed driver.
  bool BuildCompatibleDriverList(const DeviceInfoData& element, int32_t* error = nullptr);
  bool EnumDriverInfo(const DeviceInfoData& element, uint32_t index, DriverInfo* driver,
                      int32_t* error = nullptr) const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Whether the system has SetupDiGetDeviceProperty (Windows Vista and later).
bool DevicePropertyCallAvailable();

// CM_Get_DevNode_Status: a CR_ code; status flags and problem on success.
uint32_t GetDevNodeStatus(uint32_t dev_inst, uint32_t* status, uint32_t* problem);

// SetupDiGetClassDescription.
bool GetClassDescription(std::string_view class_guid, std::string* description,
                         int32_t* error = nullptr);
// SetupDiGetClassImageIndex in the system's class image list.
bool GetClassImageIndex(std::string_view class_guid, int* index, int32_t* error = nullptr);
// SetupDiBuildClassInfoList: every installed setup class.
bool GetClassGuids(std::vector<std::string>* guids, int32_t* error = nullptr);

// DI_FLAGSEX values the program sets.
namespace di_flags_ex {
inline constexpr uint32_t kInstalledDriver = 0x04000000;
inline constexpr uint32_t kExcludeOldInetDrivers = 0x00800000;
inline constexpr uint32_t kAllowExcludedDrivers = 0x00000800;
inline constexpr uint32_t kFilterClasses = 0x00000040;
}  // namespace di_flags_ex

}  // namespace tav::platform
