#include "devices/device_list.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <vector>

#include "core/date_time.h"
#include "core/file_utils.h"
#include "core/folders.h"
#include "core/format_settings.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/system_error.h"
#include "core/text_utils.h"
#include "devices/description_text.h"
#include "devices/device_dates.h"
#include "devices/device_lookup.h"
#include "devices/hardware_ids.h"
#include "devices/vendor_names.h"
#include "devices/version_text.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/win_errors.h"

namespace tav {

namespace spdrp = platform::spdrp;

namespace {

constexpr std::string_view kEnumKey = "SYSTEM\\CurrentControlSet\\Enum\\";

void AddEntry(TMemIniFile* ini, std::string_view section, uint32_t index, std::string_view value) {
  // Two entries within one tick would share a key: the later one moves on.
  std::string key = ErrorEntryKey(index);
  for (uint32_t extra = 1; ini->ValueExists(section, key); ++extra) {
    key = std::to_string(index) + " " + std::to_string(platform::GetTickCount() + extra);
  }
  ini->WriteString(section, key, value);
}

void AddError(TMemIniFile* ini, uint32_t index, std::string_view call, int32_t code) {
  AddEntry(ini, "Errors", index, ErrorEntryText(call, code));
}

// A multi-string registry property as its characters and length.
bool ReadIdBuffer(const DeviceHandle& device, uint32_t property, std::u16string* buffer,
                  int32_t* error) {
  platform::PropertyValue value;
  if (!device.set->GetDeviceRegistryProperty(device.element, property, &value, error)) {
    return false;
  }
  buffer->clear();
  for (size_t i = 0; i + 1 < value.data.size(); i += 2) {
    buffer->push_back(static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8)));
  }
  return true;
}

HardwareIdLists ReadIdList(const DeviceHandle& device, uint32_t property, const char* what,
                           const std::string& friendly_name, uint32_t index, TMemIniFile* ini) {
  std::u16string buffer;
  int32_t error = 0;
  std::vector<std::string> seen;
  if (!ReadIdBuffer(device, property, &buffer, &error)) {
    if (error != win_error::kInvalidData) {
      XLog::Error("AddDevices", "SetupDiGetDeviceRegistryProperty fail", error,
                  std::string(what) + " FriendlyName=" + friendly_name);
      AddError(ini, index,
               "SetupDiGetDeviceRegistryProperty " + std::string(what) + " " + friendly_name, error);
    }
    return {};
  }
  return ParseHardwareIdList(buffer, buffer.size(), &seen);
}

std::string RegistryString(const platform::RegistryKey& key, std::string_view name) {
  platform::RegValue value;
  if (key.QueryValue(name, &value) != 0 ||
      (value.type != platform::RegType::kSz && value.type != platform::RegType::kExpandSz)) {
    return {};
  }
  return value.AsString();
}

// The hardware IDs of the devices a service enumerated for this device:
// second-level keys under Enum\<Service> whose names contain the device's
// ParentIdPrefix.
HardwareIdLists ServiceChildIds(const std::string& instance_id, const std::string& friendly_name,
                                uint32_t index, TMemIniFile* ini) {
  HardwareIdLists lists;
  platform::RegistryKey device_key;
  if (device_key.Open(platform::RegRoot::kLocalMachine, std::string(kEnumKey) + instance_id,
                      platform::RegAccess::kRead) != 0) {
    return lists;
  }
  const std::string service = RegistryString(device_key, "Service");
  const std::string prefix = RegistryString(device_key, "ParentIdPrefix");
  if (service.empty() || prefix.empty()) return lists;
  const std::string service_path = std::string(kEnumKey) + service;
  platform::RegistryKey service_key;
  if (service_key.Open(platform::RegRoot::kLocalMachine, service_path, platform::RegAccess::kRead) !=
      0) {
    return lists;
  }
  std::vector<std::string> seen;
  std::vector<std::string> first_level;
  service_key.EnumSubKeys(&first_level);
  for (const std::string& name : first_level) {
    platform::RegistryKey level1;
    const std::string path1 = service_path + "\\" + name;
    if (const int32_t rc = service_key.OpenSubKey(name, platform::RegAccess::kRead, &level1); rc != 0) {
      XLog::Error("AddDevices", "OpenKeyReadOnly 2 fail", rc, path1);
      AddError(ini, index, "OpenKeyReadOnly 2 fail " + friendly_name + " " + path1, rc);
      continue;
    }
    std::vector<std::string> second_level;
    level1.EnumSubKeys(&second_level);
    for (const std::string& child : second_level) {
      if (child.find(prefix) == std::string::npos) continue;
      platform::RegistryKey level2;
      const std::string path2 = path1 + "\\" + child;
      if (const int32_t rc = level1.OpenSubKey(child, platform::RegAccess::kRead, &level2); rc != 0) {
        XLog::Error("AddDevices", "OpenKeyReadOnly 3 fail", rc, path2);
        AddError(ini, index, "OpenKeyReadOnly 3 fail " + friendly_name + " " + path2, rc);
        continue;
      }
      platform::RegValue ids;
      if (level2.QueryValue("HardwareID", &ids) != 0) continue;
      for (const std::string& id : ids.AsMultiString()) {
        if (id.empty()) continue;
        if (!lists.raw.empty()) lists.raw += ',';
        lists.raw += id;
        const std::string reduced = ReduceHardwareId(id);
        if (std::find(seen.begin(), seen.end(), reduced) == seen.end()) {
          seen.push_back(reduced);
          if (!lists.reduced.empty()) lists.reduced += ',';
          lists.reduced += reduced;
        }
      }
    }
  }
  return lists;
}

bool UsableVersion(const std::string& version) {
  return !version.empty() && version != "Unknown" && version != "0.0.0.0";
}

}  // namespace

bool WriteDeviceSection(const DeviceSectionInput& in, TMemIniFile* ini, int* empty_count) {
  const DeviceHandle& d = in.device;
  std::string description = in.description;
  std::string friendly = in.friendly_name;
  std::string class_guid = in.class_guid;
  if (description.empty() && friendly.empty() && class_guid.empty()) {
    description = ReadRegistryStringProperty(d, spdrp::kDeviceDesc);
    friendly = ReadRegistryStringProperty(d, spdrp::kFriendlyName);
    class_guid = ToUpperAscii(d.element.class_guid);
  }
  const std::string& s = in.section;
  const std::string driver_key = ToUpperAscii(ReadRegistryStringProperty(d, spdrp::kDriver));
  const std::string class_name = GetFriendlyClassName(class_guid);

  const HardwareIdLists hardware =
      ReadIdList(d, spdrp::kHardwareId, "SPDRP_HARDWAREID", friendly, in.index, ini);
  const HardwareIdLists compatible =
      ReadIdList(d, spdrp::kCompatibleIds, "SPDRP_COMPATIBLEIDS", friendly, in.index, ini);
  if (hardware.raw.empty() && compatible.raw.empty()) {
    if (empty_count) ++*empty_count;
    AddEntry(ini, "Empty", in.index, class_name);
    return false;
  }

  const std::string setup_class = ReadRegistryStringProperty(d, spdrp::kClass);
  uint32_t flags = 0, problem = 0;
  DeviceStatus status;
  const uint32_t cr = QueryDeviceStatus(d.element.dev_inst, &flags, &problem, &status);
  if (cr != platform::cr::kSuccess && cr != platform::cr::kNoSuchDevnode) {
    XLog::Error("AddDevices", "CM_Get_DevNode_Status fail: " + std::to_string(cr), 0,
                "FriendlyName=" + friendly);
    AddEntry(ini, "Errors", in.index,
             "CM_Get_DevNode_Status: " + std::to_string(cr) + " " + friendly);
  }
  ini->WriteBool(s, "IsConnected", status.connected);
  ini->WriteBool(s, "IsFailed", status.failed);
  ini->WriteBool(s, "NeedRestart", status.needs_restart);

  const std::string bus_description = ReadDeviceStringProperty(d, devpkey::kBusReportedDeviceDesc);
  ini->WriteString(s, "DevBusDesc", bus_description);
  const std::string chosen = (setup_class == "Unknown" && !bus_description.empty()) ? bus_description
                             : !friendly.empty()                                      ? friendly
                                                                                      : description;
  ini->WriteString(s, "DeviceDesc", CleanDescription(chosen));
  ini->WriteString(s, "DeviceDescRaw", chosen);
  ini->WriteString(s, "ClassName", setup_class.empty() ? "Other" : setup_class);
  ini->WriteString(s, "Class", class_name);
  ini->WriteString(s, "EnumKey", in.instance_id);
  ini->WriteString(s, "ClassGUID", ToUpperAscii(class_guid));
  ini->WriteString(s, "ClassKey", driver_key);

  const DateTime device_date = ReadDeviceDateProperty(d, devpkey::kDriverDate);
  const DateTime registry_date = ReadClassKeyDate(driver_key, "DriverDateData");
  const DateTime driver_date = device_date > 0 ? device_date : registry_date > 0 ? registry_date : 0;
  ini->WriteString(s, "DriverDate", DateToText(driver_date, false));
  ini->WriteString(s, "DriverDateRaw", RawDateText(driver_date));
  ini->WriteString(s, "RegDriverDate", RawDateText(registry_date));
  ini->WriteString(s, "DevDriverDate", RawDateText(device_date));

  const std::string device_version = ReadDeviceStringProperty(d, devpkey::kDriverVersion);
  const std::string registry_version = NormalizeVersion(ReadClassKeyString(driver_key, "DriverVersion"));
  std::string version = UsableVersion(device_version) ? device_version : registry_version;
  if (version == "Unknown" || version == "0.0.0.0") version.clear();
  ini->WriteString(s, "DriverVersion", version);
  ini->WriteString(s, "RegDriverVersion", registry_version);
  ini->WriteString(s, "DevDriverVersion", device_version);
  ini->WriteString(s, "HardwareIDregular", hardware.raw);
  ini->WriteString(s, "HardwareIDcompat", compatible.raw);
  const uint32_t config_flags = ReadRegistryDwordProperty(d, spdrp::kConfigFlags);
  ini->WriteInteger(s, "ConfigFlags", config_flags);

  const std::string device_provider = ReadDeviceStringProperty(d, devpkey::kDriverProvider);
  const std::string registry_provider = ReadClassKeyString(driver_key, "ProviderName");
  const std::string device_manufacturer = ReadDeviceStringProperty(d, devpkey::kManufacturer);
  const std::string registry_manufacturer = ReadRegistryStringProperty(d, spdrp::kMfg);
  ini->WriteString(s, "DevProvider", device_provider);
  ini->WriteString(s, "RegProvider", registry_provider);
  ini->WriteString(s, "DevManufacturer", device_manufacturer);
  ini->WriteString(s, "RegManufacturer", registry_manufacturer);
  ini->WriteString(s, "Vendor",
                   ChooseVendor(device_manufacturer.empty() ? registry_manufacturer : device_manufacturer,
                                device_provider.empty() ? registry_provider : device_provider));

  const DateTime install_date = ReadDeviceDateProperty(d, devpkey::kInstallDate);
  const DateTime first_install_date = ReadDeviceDateProperty(d, devpkey::kFirstInstallDate);
  ini->WriteString(s, "DevInstallDateRaw", RawDateText(install_date));
  ini->WriteString(s, "InfPath", ExtractFileName(ReadClassKeyString(driver_key, "InfPath")));
  ini->WriteString(s, "InfSection", ReadClassKeyString(driver_key, "InfSection"));
  ini->WriteString(s, "DevInstallDate", DateToText(install_date, false));
  ini->WriteString(s, "DevFirstInstallDate", DateToText(first_install_date, false));
  ini->WriteString(s, "DevFirstInstallDateRaw", RawDateText(first_install_date));
  if (cr == platform::cr::kSuccess) {
    ini->WriteInteger(s, "NodeStatus", flags);
    ini->WriteString(s, "NodeStatusStr", StatusFlagsText(flags));
    ini->WriteInteger(s, "NodeProblemNumber", problem);
    ini->WriteString(s, "NodeProblemStr", ProblemText(problem));
  }
  ini->WriteInteger(s, "DeviceIndex", in.index);
  ini->WriteString(s, "RegDriverDesc", ReadClassKeyString(driver_key, "DriverDesc"));
  ini->WriteString(s, "DevDriverDesc", ReadDeviceStringProperty(d, devpkey::kDriverDesc));
  ini->WriteString(s, "DevDetailedDesc", ReadDeviceStringProperty(d, devpkey::kDrvPkgDetailedDescription));
  ini->WriteString(s, "DevWebSite", ReadDeviceStringProperty(d, devpkey::kDrvPkgVendorWebSite));
  ini->WriteString(s, "DevModel", ReadDeviceStringProperty(d, devpkey::kDrvPkgModel));
  ini->WriteString(s, "DevFriendly", ReadDeviceStringProperty(d, devpkey::kFriendlyName));
  ini->WriteString(s, "ConfigFlagsStr", CapabilitiesText(config_flags));
  ini->WriteString(s, "HardwareIDmatch", ReadClassKeyString(driver_key, "MatchingDeviceId"));
  ini->WriteString(s, "DevHardwareIDmatch", ReadDeviceStringProperty(d, devpkey::kMatchingDeviceId));
  const HardwareIdLists service = ServiceChildIds(in.instance_id, friendly, in.index, ini);
  ini->WriteString(s, "HardwareIDservice", service.reduced);
  ini->WriteString(s, "HardwareIDserviceRaw", service.raw);
  const uint32_t capabilities = ReadRegistryDwordProperty(d, spdrp::kCapabilities);
  ini->WriteInteger(s, "Capabilities", capabilities);
  ini->WriteString(s, "CapabilitiesStr", CapabilitiesText(capabilities));
  const uint32_t characteristics = ReadRegistryDwordProperty(d, spdrp::kCharacteristics);
  ini->WriteInteger(s, "Characretistics", characteristics);
  ini->WriteString(s, "CharacretisticsStr", CapabilitiesText(characteristics));
  if (status.connected && !status.failed) {
    const uint32_t install_state = ReadRegistryDwordProperty(d, spdrp::kInstallState);
    ini->WriteInteger(s, "InstallState", install_state);
    ini->WriteString(s, "InstallStateStr", InstallStateText(install_state));
    ini->WriteString(s, "RegPhysicalName", ReadRegistryStringProperty(d, spdrp::kPhysicalDeviceObjectName));
  }
  ini->WriteString(s, "RegEnumerator", ReadRegistryStringProperty(d, spdrp::kEnumeratorName));
  ini->WriteString(s, "RegLocation", ReadRegistryStringProperty(d, spdrp::kLocationInformation));
  ini->WriteString(s, "RegService", ReadRegistryStringProperty(d, spdrp::kService));
  ini->WriteString(s, "RegUiNumber", ReadRegistryStringProperty(d, spdrp::kUiNumberDescFormat));
  return true;
}

namespace {

struct Counters {
  int total = 0;
  int sections = 0;
  int duplicates = 0;
  int empty = 0;
  int ignored = 0;
};

bool AddDevices(TMemIniFile* ini, Counters* c) {
  platform::DeviceInfoSet set;
  int32_t error = 0;
  if (!set.CreateForAllDevices(&error)) {
    platform::Sleep(1000);
    if (!set.CreateForAllDevices(&error)) {
      throw std::runtime_error("SetupDiGetClassDevs: " + SysErrorMessage(error) + " (" +
                               std::to_string(error) + ")");
    }
  }
  std::map<std::string, std::string> sections_by_key;
  std::string last_guid;
  bool completed = true;
  for (uint32_t index = 0;; ++index) {
    platform::DeviceInfoData element;
    if (!set.EnumDeviceInfo(index, &element, &error)) {
      if (error != win_error::kNoMoreItems) {
        XLog::Error("AddDevices", "SetupDiEnumDeviceInfo fail", error, "GUID=" + last_guid);
        AddError(ini, index, "SetupDiEnumDeviceInfo " + last_guid, error);
        completed = false;
      }
      break;
    }
    ++c->total;
    last_guid = ToUpperAscii(element.class_guid);
    if (EqualsIgnoreCase(element.class_guid, kLegacyDriverClass)) {
      ++c->ignored;
      continue;
    }
    DeviceHandle device{&set, element};
    const std::string friendly = ReadRegistryStringProperty(device, spdrp::kFriendlyName);
    std::string instance_id;
    if (!set.GetDeviceInstanceId(element, &instance_id, &error)) {
      XLog::Error("AddDevices", "SetupDiGetDeviceInstanceId fail", error, "FriendlyName=" + friendly);
      AddError(ini, index, "SetupDiGetDeviceInstanceId " + friendly, error);
      instance_id.clear();
    }
    const std::string description = ReadRegistryStringProperty(device, spdrp::kDeviceDesc);
    const std::string key =
        std::string(InstanceIdWithoutLastPart(instance_id)) + (friendly.empty() ? description : friendly);
    DeviceSectionInput input{device, instance_id, description, friendly, last_guid, index, ""};
    const auto known = sections_by_key.find(key);
    if (known == sections_by_key.end()) {
      input.section = std::to_string(c->sections);
      sections_by_key.emplace(key, input.section);
      if (WriteDeviceSection(input, ini, &c->empty)) ++c->sections;
      continue;
    }
    // A connected instance takes the place of a disconnected one.
    input.section = known->second;
    if (ini->ReadString(input.section, "IsConnected", "1") == "0") {
      ini->ClearSection(input.section);
      WriteDeviceSection(input, ini, &c->empty);
    }
    AddEntry(ini, "Duplicates", index, key + " | " + last_guid);
    ++c->duplicates;
  }
  if (!set.Destroy(&error)) XLog::Error("AddDevices", "SetupDiDestroyDeviceInfoList fail", error);
  const int found = c->total - c->duplicates - c->ignored - c->empty;
  XLog::Log("AddDevices", "TotalDevices: " + std::to_string(c->total) +
                              " Duplicates: " + std::to_string(c->duplicates) +
                              " Empty: " + std::to_string(c->empty) +
                              " Ignore: " + std::to_string(c->ignored) +
                              " Found: " + std::to_string(found) + "?");
  ini->WriteInteger("Settings", "TotalDevices", c->total);
  ini->WriteInteger("Settings", "UniqueDevices", c->sections);
  ini->WriteInteger("Settings", "DuplicateDevices", c->duplicates);
  ini->WriteInteger("Settings", "EmptyDevices", c->empty);
  ini->WriteInteger("Settings", "IgnoreDevices", c->ignored);
  ini->WriteInteger("Settings", "ShouldFoundDevices", found);
  return completed;
}

// Names holding these words come first, in this order of groups; a name
// with several belongs to the group of the last one in the list.
constexpr std::string_view kClassGroups[] = {"VIDEO", "AUDIO",   "MEDIA", "PRINTER",
                                             "DISPLAY", "IMAGE", "GAME", "OTHER"};

int ClassGroup(const std::string& name) {
  const std::string upper = ToUpperAscii(name);
  int group = static_cast<int>(std::size(kClassGroups));
  for (size_t g = 0; g < std::size(kClassGroups); ++g) {
    if (Contains(upper, kClassGroups[g])) group = static_cast<int>(g);
  }
  return group;
}

void WriteClassNames(TMemIniFile* ini) {
  std::vector<std::string> names;
  for (const std::string& section : ini->ReadSections()) {
    int64_t number = 0;
    if (!TryStrToInt(section, &number)) continue;
    const std::string name = ini->ReadString(section, "ClassName", "");
    if (std::none_of(names.begin(), names.end(),
                     [&](const std::string& n) { return EqualsIgnoreCase(n, name); })) {
      names.push_back(name);
    }
  }
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const int ga = ClassGroup(a), gb = ClassGroup(b);
    if (ga != gb) return ga < gb;
    return FoldCase(a) < FoldCase(b);
  });
  for (const std::string& name : names) ini->WriteString("ClassNames", name, "");
}

}  // namespace

bool GenerateDevicesList(std::string_view file_name, const std::function<void()>& prepare_database) {
  const std::string path = GetFolders().core_work + std::string(file_name);
  XLog::Init(GetFolders().core_work);
  XLog::Log("GenerateDevicesList", "begin");
  if (prepare_database) prepare_database();
  if (platform::FileExists(path) && !XFile::DeleteFile(path)) {
    XLog::Error("GenerateDevicesList", "Cannot delete and rename initial file");
  }
  TMemIniFile ini(path);
  ini.Clear();
  ini.WriteString("Settings", "Program", ProductName());
  ini.WriteString("Settings", "ProgramCreated", DateToText(XFile::ExeFileTime(), false));
  const DateTime now = Now();
  ini.WriteString("Settings", "Generated", DateToText(now, false));
  ini.WriteString("Settings", "GeneratedTime", TimeToStr(now, UserFormatSettings()));
  ini.WriteInteger("Settings", "Windows", GetOsCode());
  ini.WriteBool("Settings", "x64", IsWow64());
  ini.WriteInteger("Settings", "Version", 2);
  ini.WriteInteger("Errors", "Dump", 0);
  ini.WriteInteger("Duplicates", "Dump", 0);
  ini.WriteInteger("Empty", "Dump", 0);
  Counters counters;
  const uint32_t start = platform::GetTickCount();
  const bool completed = AddDevices(&ini, &counters);
  if (completed) WriteClassNames(&ini);
  ini.WriteInteger("Settings", "TimeToGenerate", platform::GetTickCount() - start);
  if (!ini.UpdateFile()) XLog::Error("GenerateDevicesList", "UpdateFile fail", 0, path);
  XLog::Log("GenerateDevicesList", "finish: " + std::to_string(counters.sections));
  return completed;
}

}  // namespace tav
