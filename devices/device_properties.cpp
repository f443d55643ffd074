#include "devices/device_properties.h"

#include <cstring>
#include <map>
#include <mutex>

#include "core/date_time.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/system_error.h"
#include "core/text_utils.h"
#include "devices/device_lookup.h"
#include "devices/version_text.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "platform/win_errors.h"

namespace tav {

using platform::DevPropKey;
using platform::PropertyValue;

namespace devpkey {
const DevPropKey kBusReportedDeviceDesc{"{540B947E-8B40-45BC-A8A2-6A0B894CBDA2}", 4};
const DevPropKey kDriverDate{"{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 2};
const DevPropKey kDriverVersion{"{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 3};
const DevPropKey kDriverDesc{"{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 4};
const DevPropKey kMatchingDeviceId{"{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 8};
const DevPropKey kDriverProvider{"{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 9};
const DevPropKey kManufacturer{"{A45C254E-DF1C-4EFD-8020-67D146A850E0}", 13};
const DevPropKey kFriendlyName{"{A45C254E-DF1C-4EFD-8020-67D146A850E0}", 14};
const DevPropKey kInstallDate{"{83DA6326-97A6-4088-9453-A1923F573B29}", 100};
const DevPropKey kFirstInstallDate{"{83DA6326-97A6-4088-9453-A1923F573B29}", 101};
const DevPropKey kDrvPkgModel{"{CF73BB51-3ABF-44A2-85E0-9A3DC7A12132}", 2};
const DevPropKey kDrvPkgVendorWebSite{"{CF73BB51-3ABF-44A2-85E0-9A3DC7A12132}", 3};
const DevPropKey kDrvPkgDetailedDescription{"{CF73BB51-3ABF-44A2-85E0-9A3DC7A12132}", 4};
}  // namespace devpkey

namespace {

constexpr size_t kDevicePropertyBuffer = 2024;    // characters
constexpr size_t kRegistryPropertyBuffer = 2057;  // characters
constexpr std::string_view kClassKey = "SYSTEM\\CurrentControlSet\\Control\\Class\\";

bool MissingProperty(int32_t error) {
  return error == win_error::kNotFound || error == win_error::kInvalidData;
}

bool PropertyCallUsable() {
  platform::OsVersionInfo version;
  if (platform::GetVersionInfo(&version) && version.major <= 5) return false;
  static const bool available = platform::DevicePropertyCallAvailable();
  if (!available) {
    XLog::Error("SetupDiGetDeviceProperty", "SetupDiGetDeviceProperty not exists");
  }
  return available;
}

// A device property as the call with its fixed buffer answers it.
bool GetDeviceProperty(const DeviceHandle& device, const DevPropKey& key, PropertyValue* value,
                       int32_t* error) {
  if (!device.set->GetDeviceProperty(device.element, key, value, error)) return false;
  if (value->data.size() > kDevicePropertyBuffer * 2) {
    *error = win_error::kInsufficientBuffer;
    return false;
  }
  return true;
}

void LogPropertyFailure(std::string_view reader, int32_t error) {
  XLog::Error("SetupDiGetDeviceProperty", "SetupDiGetDevicePropertyVar fail", error);
  XLog::Error(reader, "SetupDiGetDeviceProperty fail", error);
}

uint64_t FileTimeOf(const std::vector<uint8_t>& data) {
  uint64_t ft = 0;
  if (data.size() >= 8) std::memcpy(&ft, data.data(), 8);
  return ft;
}

bool OpenClassKey(std::string_view driver_key, platform::RegistryKey* key) {
  if (driver_key.empty()) return false;
  return key->Open(platform::RegRoot::kLocalMachine, std::string(kClassKey) + std::string(driver_key),
                   platform::RegAccess::kRead) == 0;
}

}  // namespace

std::string ReadDeviceStringProperty(const DeviceHandle& device, const DevPropKey& key) {
  if (!PropertyCallUsable()) return {};
  PropertyValue value;
  int32_t error = 0;
  if (GetDeviceProperty(device, key, &value, &error)) {
    return Trim(Utf16leBytesToUtf8(value.data.data(), value.data.size()));
  }
  if (MissingProperty(error)) return {};
  LogPropertyFailure("ReadDeviceStringProperty", error);
  return "ERROR: " + SysErrorMessage(error) + " " + std::to_string(error);
}

DateTime ReadDeviceDateProperty(const DeviceHandle& device, const DevPropKey& key) {
  if (!PropertyCallUsable()) return 0;
  PropertyValue value;
  int32_t error = 0;
  if (GetDeviceProperty(device, key, &value, &error)) return FileTimeToDateTime(FileTimeOf(value.data));
  if (!MissingProperty(error)) LogPropertyFailure("ReadDeviceDateProperty", error);
  return 0;
}

std::string ReadRegistryStringProperty(const DeviceHandle& device, uint32_t property) {
  PropertyValue value;
  int32_t error = 0;
  bool ok = device.set->GetDeviceRegistryProperty(device.element, property, &value, &error);
  if (ok && value.data.size() > kRegistryPropertyBuffer * 2) {
    ok = false;
    error = win_error::kInsufficientBuffer;
  }
  if (ok) return Trim(Utf16leBytesToUtf8(value.data.data(), value.data.size()));
  if (error == win_error::kInvalidData) return {};
  XLog::Error("ReadRegistryStringProperty", "SetupDiGetDeviceRegistryProperty fail", error);
  return "ERROR: " + SysErrorMessage(error);
}

uint32_t ReadRegistryDwordProperty(const DeviceHandle& device, uint32_t property) {
  PropertyValue value;
  int32_t error = 0;
  if (device.set->GetDeviceRegistryProperty(device.element, property, &value, &error)) {
    uint32_t v = 0;
    if (value.data.size() >= 4) std::memcpy(&v, value.data.data(), 4);
    return v;
  }
  if (error != win_error::kInvalidData) {
    XLog::Error("ReadRegistryDwordProperty", "SetupDiGetDeviceRegistryProperty fail", error,
                "PropertyIndex=" + std::to_string(property));
  }
  return 0;
}

std::string ReadClassKeyString(std::string_view driver_key, std::string_view name) {
  platform::RegistryKey key;
  platform::RegValue value;
  if (!OpenClassKey(driver_key, &key) || key.QueryValue(name, &value) != 0 ||
      value.type != platform::RegType::kSz) {
    return {};
  }
  return value.AsString();
}

DateTime ReadClassKeyDate(std::string_view driver_key, std::string_view name) {
  platform::RegistryKey key;
  platform::RegValue value;
  if (!OpenClassKey(driver_key, &key) || key.QueryValue(name, &value) != 0 ||
      value.type != platform::RegType::kBinary || value.data.size() < 8) {
    return 0;
  }
  return FileTimeToDateTime(FileTimeOf(value.data));
}

std::string ReadDeviceStorageString(std::string_view instance_id, std::string_view name) {
  if (instance_id.empty()) return {};
  platform::RegistryKey key;
  platform::RegValue value;
  if (key.Open(platform::RegRoot::kLocalMachine,
               std::string(kDeviceStorageKey) + std::string(instance_id),
               platform::RegAccess::kRead) != 0 ||
      key.QueryValue(name, &value) != 0 || value.type != platform::RegType::kSz) {
    return {};
  }
  return value.AsString();
}

void WritePseudoEnumRegistryStringProperty(std::string_view instance_id, std::string_view name,
                                           std::string_view text) {
  if (instance_id.empty()) return;
  platform::RegistryKey key;
  const int32_t rc = key.Create(platform::RegRoot::kLocalMachine,
                                std::string(kDeviceStorageKey) + std::string(instance_id));
  if (rc != 0) {
    XLog::Error("WritePseudoEnumRegistryStringProperty", "OpenKey fail", rc,
                "DriverKey=" + std::string(instance_id));
    return;
  }
  key.SetValue(name, platform::RegValue::String(text));
}

std::string GetFriendlyClassName(std::string_view class_guid) {
  static std::mutex mutex;
  static std::map<std::string, std::string> cache;
  const std::string guid(class_guid);
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (auto it = cache.find(guid); it != cache.end()) return it->second;
  }
  std::string name;
  int32_t error = 0;
  if (!platform::GetClassDescription(guid, &name, &error)) {
    if (error != platform::setup_error::kInvalidClass) {
      XLog::Error("GetFriendlyClassName", "SetupDiGetClassDescription fail", error, "GUID=" + guid);
    }
    name = "Unknown";
  } else if (name.size() > kDevicePropertyBuffer) {
    name.resize(kDevicePropertyBuffer);
  }
  std::lock_guard<std::mutex> lock(mutex);
  cache.emplace(guid, name);
  return name;
}

std::string ErrorEntryKey(uint32_t index) {
  return std::to_string(index) + " " + std::to_string(platform::GetTickCount());
}

std::string ErrorEntryText(std::string_view call, int32_t code) {
  return std::string(call) + ": " + SysErrorMessage(code) + " " + std::to_string(code);
}

namespace {

void AddError(TMemIniFile* ini, uint32_t index, std::string_view call, int32_t code) {
  if (!ini) return;
  // Two failures within one tick would share a key: the later one moves on.
  std::string key = ErrorEntryKey(index);
  for (uint32_t extra = 1; ini->ValueExists("Errors", key); ++extra) {
    key = std::to_string(index) + " " + std::to_string(platform::GetTickCount() + extra);
  }
  ini->WriteString("Errors", key, ErrorEntryText(call, code));
}

}  // namespace

bool GetDriverParameters(platform::DeviceInfoSet& set, std::string_view instance_id,
                         TMemIniFile* errors_ini, DriverParameters* out) {
  *out = DriverParameters();
  const std::string id(instance_id);
  const std::string params = "EnumKey=" + id;
  FoundDevice found;
  if (!FindDevice(set, id, &found)) {
    XLog::Error("GetDriverParameters", "FindDevice fail", 0, params);
    AddError(errors_ini, 0, "FindDevice " + id, win_error::kNotFound);
    return false;
  }
  auto fail = [&](std::string_view message, int32_t error) {
    XLog::Error("GetDriverParameters", message, error, params);
    AddError(errors_ini, found.index, std::string(message.substr(0, message.find(' '))) + " " + id,
             error);
    return false;
  };
  platform::DeviceInstallParams install;
  int32_t error = 0;
  if (!set.GetDeviceInstallParams(found.element, &install, &error)) {
    return fail("SetupDiGetDeviceInstallParams fail", error);
  }
  install.flags_ex |= platform::di_flags_ex::kInstalledDriver |
                      platform::di_flags_ex::kExcludeOldInetDrivers |
                      platform::di_flags_ex::kAllowExcludedDrivers |
                      platform::di_flags_ex::kFilterClasses;
  if (!set.SetDeviceInstallParams(found.element, install, &error)) {
    return fail("SetupDiSetDeviceInstallParams fail", error);
  }
  if (!set.BuildCompatibleDriverList(found.element, &error)) {
    return fail("SetupDiBuildDriverInfoList fail", error);
  }
  platform::DriverInfo driver;
  if (!set.EnumDriverInfo(found.element, 0, &driver, &error)) {
    if (error == win_error::kNoMoreItems) {
      XLog::Log("GetDriverParameters", "SetupDiEnumDriverInfoW fail, EnumKey=" + id);
      return false;
    }
    return fail("SetupDiEnumDriverInfoW fail", error);
  }
  out->provider = driver.provider.substr(0, 256);
  out->manufacturer = driver.manufacturer.substr(0, 256);
  out->version = VersionFrom64(static_cast<uint32_t>(driver.driver_version),
                               static_cast<uint32_t>(driver.driver_version >> 32));
  out->date = FileTimeToDateTime(driver.driver_date);
  return true;
}

uint32_t QueryDeviceStatus(uint32_t dev_inst, uint32_t* flags, uint32_t* problem,
                           DeviceStatus* status) {
  *flags = 0;
  *problem = 0;
  const uint32_t rc = platform::GetDevNodeStatus(dev_inst, flags, problem);
  *status = rc == platform::cr::kSuccess ? StatusFromNode(*flags, *problem) : DeviceStatus();
  return rc;
}

}  // namespace tav
