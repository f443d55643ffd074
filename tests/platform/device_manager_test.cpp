// The device manager over a virtual PC's device tree: enumeration, registry
// and device properties with their error codes, device-node status, classes,
// the installed driver, and the failures a profile injects.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/clock.h"
#include "platform/device_manager.h"
#include "platform/linux/device_tree.h"
#include "platform/linux/virtual_pc.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/win_errors.h"
#include "tests/support/temp_machine.h"

namespace tav::platform {
namespace {

using nlohmann::json;
using ::testing::ElementsAre;

constexpr const char* kNetGuid = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kUsbGuid = "{36FC9E60-C465-11CF-8056-444553540000}";
constexpr const char* kDiskGuid = "{4D36E967-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kLegacyGuid = "{8ECC055D-047F-11D1-A537-0000F8753ED1}";

const char* kNic = "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04\\3&11583659&0&C8";
const char* kStick = "USB\\VID_058F&PID_6387\\5&1f3c7a27&0&2";
const char* kStickDisk = "USBSTOR\\Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.07\\7&3a1f5d92&0&0";
const char* kBeep = "ROOT\\LEGACY_BEEP\\0000";
const char* kRoot = "HTREE\\ROOT\\0";

// A small PC: a network adapter with a driver, an absent USB stick whose
// disk its service enumerated, a legacy driver and the tree's root.
json SmallPc() {
  return json::parse(R"json({
    "os": {"time_zone_bias": 300},
    "classes": [{"guid": "{5C4C3332-344D-483C-8739-259E934C9CC8}", "name": "MTD",
                 "description": "Memory technology devices", "icon": 9}],
    "devices": [
      {"instance_id": "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04\\3&11583659&0&C8",
       "class": "Net", "description": "Intel(R) 82579LM Gigabit Network Connection",
       "manufacturer": "Intel",
       "hardware_ids": ["PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04", "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028"],
       "compatible_ids": ["PCI\\VEN_8086&DEV_1502&REV_04", "PCI\\VEN_8086&DEV_1502"],
       "service": "e1cexpress", "location": "PCI bus 0, device 25, function 0", "capabilities": 16,
       "driver": {"provider": "Intel", "version": "11.17.27.0", "date": "2012-09-06",
                  "inf_path": "oem8.inf", "inf_section": "E1502.6.1.1",
                  "matching_device_id": "pci\\ven_8086&dev_1502&subsys_04aa1028",
                  "description": "Intel(R) 82579LM Gigabit Network Connection"},
       "properties": {"bus_reported_description": "Ethernet Controller",
                      "install_date": "2012-03-14 10:22:31"}},
      {"instance_id": "USB\\VID_058F&PID_6387\\5&1f3c7a27&0&2", "class": "USB",
       "description": "USB Mass Storage Device",
       "hardware_ids": ["USB\\VID_058F&PID_6387&REV_0100", "USB\\VID_058F&PID_6387"],
       "service": "USBSTOR", "parent_id_prefix": "7&3a1f5d92&0", "present": false,
       "children": [{"device_id": "Disk&Ven_Generic&Prod_Flash_Disk&Rev_8.07", "instance": "0",
                     "class": "DiskDrive", "description": "Disk drive",
                     "friendly_name": "Generic Flash Disk USB Device",
                     "hardware_ids": ["USBSTOR\\DiskGeneric_Flash_Disk______8.07", "GenDisk"],
                     "present": false}]},
      {"instance_id": "ROOT\\LEGACY_BEEP\\0000", "class": "LegacyDriver", "description": "Beep"},
      {"instance_id": "HTREE\\ROOT\\0"}
    ]})json");
}

std::u16string Utf16Of(const PropertyValue& value) {
  std::u16string text;
  for (size_t i = 0; i + 1 < value.data.size(); i += 2) {
    text.push_back(static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8)));
  }
  return text;
}

// The first string of a property, as UTF-8.
std::string TextOf(const PropertyValue& value) {
  const std::u16string all = Utf16Of(value);
  return Utf16ToUtf8(all.substr(0, all.find(u'\0')));
}

std::vector<std::string> StringsOf(const PropertyValue& value) {
  std::vector<std::string> out;
  const std::u16string all = Utf16Of(value);
  for (size_t start = 0; start < all.size();) {
    const size_t end = all.find(u'\0', start);
    if (end == start || end == std::u16string::npos)
      break;
    out.push_back(Utf16ToUtf8(all.substr(start, end - start)));
    start = end + 1;
  }
  return out;
}

uint32_t DwordOf(const PropertyValue& value) {
  uint32_t v = 0;
  if (value.data.size() >= 4)
    std::memcpy(&v, value.data.data(), 4);
  return v;
}

uint64_t QwordOf(const std::vector<uint8_t>& data) {
  uint64_t v = 0;
  if (data.size() >= 8)
    std::memcpy(&v, data.data(), 8);
  return v;
}

// The FILETIME of a local time on a PC whose bias is bias_minutes.
uint64_t LocalFileTime(uint16_t year,
                       uint16_t month,
                       uint16_t day,
                       uint16_t hour,
                       uint16_t minute,
                       uint16_t second,
                       int bias_minutes) {
  SystemTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  uint64_t ft = 0;
  SystemTimeToFileTime(t, &ft);
  return ft + static_cast<uint64_t>(bias_minutes) * 60 * 10000000ull;
}

struct Enumerated {
  DeviceInfoSet set;
  std::vector<std::string> ids;
  std::vector<DeviceInfoData> elements;

  Enumerated() {
    int32_t error = 0;
    EXPECT_TRUE(set.CreateForAllDevices(&error)) << error;
    for (uint32_t i = 0;; ++i) {
      DeviceInfoData element;
      if (!set.EnumDeviceInfo(i, &element, &error))
        break;
      // An element whose ID cannot be read stays in the list, unnamed.
      std::string id;
      set.GetDeviceInstanceId(element, &id, &error);
      ids.push_back(id);
      elements.push_back(element);
    }
  }

  const DeviceInfoData& Of(const std::string& id) const {
    for (size_t i = 0; i < ids.size(); ++i) {
      if (ids[i] == id)
        return elements[i];
    }
    ADD_FAILURE() << "no element " << id;
    static DeviceInfoData none;
    return none;
  }
};

TEST(DeviceManagerTest, TheSetHoldsEveryDevicePresentOrNotInTheProfilesOrder) {
  testing::TempMachine pc(SmallPc());
  Enumerated all;
  EXPECT_THAT(all.ids, ElementsAre(kNic, kStick, kStickDisk, kBeep, kRoot));
  EXPECT_EQ(all.Of(kNic).class_guid, kNetGuid);
  EXPECT_EQ(all.Of(kStick).class_guid, kUsbGuid);
  EXPECT_EQ(all.Of(kStickDisk).class_guid, kDiskGuid);
  EXPECT_EQ(all.Of(kBeep).class_guid, kLegacyGuid);
  EXPECT_EQ(all.Of(kRoot).class_guid, "");

  DeviceInfoData element;
  int32_t error = 0;
  EXPECT_FALSE(all.set.EnumDeviceInfo(5, &element, &error));
  EXPECT_EQ(error, win_error::kNoMoreItems);
  EXPECT_TRUE(all.set.Destroy(&error));
  EXPECT_FALSE(all.set.EnumDeviceInfo(0, &element, &error));
  EXPECT_EQ(error, win_error::kInvalidHandle);
}

TEST(DeviceManagerTest, TheSetSeesTheDevicesAsTheyWereWhenItWasMade) {
  testing::TempMachine pc(SmallPc());
  Enumerated before;
  std::string error;
  ASSERT_TRUE(vpc::AddDevice(&vpc::VirtualPc::Current(),
                             {{"instance_id", "ROOT\\SYSTEM\\0000"},
                              {"class", "System"},
                              {"hardware_ids", {"root\\swenum"}}},
                             &error))
      << error;
  DeviceInfoData element;
  int32_t code = 0;
  EXPECT_FALSE(before.set.EnumDeviceInfo(5, &element, &code));
  EXPECT_EQ(code, win_error::kNoMoreItems);
  Enumerated after;
  EXPECT_EQ(after.ids.size(), 6u);
  EXPECT_EQ(after.ids.back(), "ROOT\\SYSTEM\\0000");
}

struct RegistryCase {
  const char* device;
  uint32_t property;
  int32_t error;  // 0: the call succeeds
  RegType type;
  std::string text;  // first string or the number in decimal
};

TEST(DeviceManagerTest, RegistryPropertiesAnswerAsSetupApiDoes) {
  testing::TempMachine pc(SmallPc());
  Enumerated all;
  const RegistryCase cases[] = {
      {kNic, spdrp::kDeviceDesc, 0, RegType::kSz, "Intel(R) 82579LM Gigabit Network Connection"},
      {kNic, spdrp::kHardwareId, 0, RegType::kMultiSz,
       "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04"},
      {kNic, spdrp::kCompatibleIds, 0, RegType::kMultiSz, "PCI\\VEN_8086&DEV_1502&REV_04"},
      {kNic, spdrp::kService, 0, RegType::kSz, "e1cexpress"},
      {kNic, spdrp::kClass, 0, RegType::kSz, "Net"},
      {kNic, spdrp::kClassGuid, 0, RegType::kSz, kNetGuid},
      {kNic, spdrp::kDriver, 0, RegType::kSz, std::string(kNetGuid) + "\\0000"},
      {kNic, spdrp::kMfg, 0, RegType::kSz, "Intel"},
      {kNic, spdrp::kLocationInformation, 0, RegType::kSz, "PCI bus 0, device 25, function 0"},
      {kNic, spdrp::kCapabilities, 0, RegType::kDword, "16"},
      {kNic, spdrp::kConfigFlags, 0, RegType::kDword, "0"},
      {kNic, spdrp::kEnumeratorName, 0, RegType::kSz, "PCI"},
      {kNic, spdrp::kPhysicalDeviceObjectName, 0, RegType::kSz, "\\Device\\NTPNP_PCI0001"},
      {kNic, spdrp::kInstallState, 0, RegType::kDword, "0"},
      {kNic, spdrp::kFriendlyName, win_error::kInvalidData, RegType::kNone, ""},
      {kNic, spdrp::kUpperFilters, win_error::kInvalidData, RegType::kNone, ""},
      {kNic, spdrp::kBusNumber, win_error::kInvalidData, RegType::kNone, ""},
      // An absent device keeps its registry values but has no device object.
      {kStickDisk, spdrp::kFriendlyName, 0, RegType::kSz, "Generic Flash Disk USB Device"},
      {kStickDisk, spdrp::kEnumeratorName, 0, RegType::kSz, "USBSTOR"},
      {kStickDisk, spdrp::kPhysicalDeviceObjectName, win_error::kInvalidData, RegType::kNone, ""},
      {kStickDisk, spdrp::kInstallState, win_error::kInvalidData, RegType::kNone, ""},
      {kStick, spdrp::kDriver, win_error::kInvalidData, RegType::kNone, ""},
      {kRoot, spdrp::kHardwareId, win_error::kInvalidData, RegType::kNone, ""},
      {kRoot, spdrp::kClassGuid, win_error::kInvalidData, RegType::kNone, ""},
  };
  for (const RegistryCase& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " SPDRP " + std::to_string(c.property));
    PropertyValue value;
    int32_t error = 0;
    const bool ok = all.set.GetDeviceRegistryProperty(all.Of(c.device), c.property, &value, &error);
    if (c.error != 0) {
      EXPECT_FALSE(ok);
      EXPECT_EQ(error, c.error);
      continue;
    }
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(value.type, static_cast<uint32_t>(c.type));
    EXPECT_EQ(c.type == RegType::kDword ? std::to_string(DwordOf(value)) : TextOf(value), c.text);
  }
  PropertyValue ids;
  ASSERT_TRUE(all.set.GetDeviceRegistryProperty(all.Of(kStickDisk), spdrp::kHardwareId, &ids));
  EXPECT_THAT(StringsOf(ids), ElementsAre("USBSTOR\\DiskGeneric_Flash_Disk______8.07", "GenDisk"));
}

const DevPropKey kBusDescription{"{540B947E-8B40-45BC-A8A2-6A0B894CBDA2}", 4};
const DevPropKey kDriverDate{"{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 2};
const DevPropKey kDriverVersion{"{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 3};
const DevPropKey kDriverProvider{"{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 9};
const DevPropKey kMatchingId{"{A8B865DD-2E3D-4094-AD97-E593A70C75D6}", 8};
const DevPropKey kManufacturer{"{A45C254E-DF1C-4EFD-8020-67D146A850E0}", 13};
const DevPropKey kFriendlyName{"{A45C254E-DF1C-4EFD-8020-67D146A850E0}", 14};
const DevPropKey kInstallDate{"{83DA6326-97A6-4088-9453-A1923F573B29}", 100};

TEST(DeviceManagerTest, DevicePropertiesComeFromTheDriverAndTheProfile) {
  testing::TempMachine pc(SmallPc());
  Enumerated all;
  struct Case {
    const char* device;
    DevPropKey key;
    std::string text;  // empty: ERROR_NOT_FOUND
  } cases[] = {
      {kNic, kBusDescription, "Ethernet Controller"},
      {kNic, kDriverVersion, "11.17.27.0"},
      {kNic, kDriverProvider, "Intel"},
      {kNic, kMatchingId, "pci\\ven_8086&dev_1502&subsys_04aa1028"},
      {kNic, kManufacturer, "Intel"},
      {kNic, kFriendlyName, ""},
      {kStickDisk, kFriendlyName, "Generic Flash Disk USB Device"},
      {kStickDisk, kDriverVersion, ""},
      {kStick, kBusDescription, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.device) + " " + c.key.fmtid + " " + std::to_string(c.key.pid));
    PropertyValue value;
    int32_t error = 0;
    const bool ok = all.set.GetDeviceProperty(all.Of(c.device), c.key, &value, &error);
    if (c.text.empty()) {
      EXPECT_FALSE(ok);
      EXPECT_EQ(error, win_error::kNotFound);
    } else {
      ASSERT_TRUE(ok) << error;
      EXPECT_EQ(value.type, devprop_type::kString);
      EXPECT_EQ(TextOf(value), c.text);
    }
  }
  // Dates are FILETIMEs of the PC's local time (UTC-5 here).
  PropertyValue date;
  ASSERT_TRUE(all.set.GetDeviceProperty(all.Of(kNic), kDriverDate, &date));
  EXPECT_EQ(date.type, devprop_type::kFileTime);
  EXPECT_EQ(QwordOf(date.data), LocalFileTime(2012, 9, 6, 0, 0, 0, 300));
  ASSERT_TRUE(all.set.GetDeviceProperty(all.Of(kNic), kInstallDate, &date));
  EXPECT_EQ(QwordOf(date.data), LocalFileTime(2012, 3, 14, 10, 22, 31, 300));
}

TEST(DeviceManagerTest, APropertyTheProfileRemovesIsNotFound) {
  json profile = SmallPc();
  profile["devices"][0]["properties"]["driver_version"] = nullptr;
  testing::TempMachine pc(profile);
  Enumerated all;
  PropertyValue value;
  int32_t error = 0;
  EXPECT_FALSE(all.set.GetDeviceProperty(all.Of(kNic), kDriverVersion, &value, &error));
  EXPECT_EQ(error, win_error::kNotFound);
  // The driver key still has it.
  RegistryKey key;
  ASSERT_EQ(
      key.Open(RegRoot::kLocalMachine,
               std::string("SYSTEM\\CurrentControlSet\\Control\\Class\\") + kNetGuid + "\\0000",
               RegAccess::kRead),
      0);
  RegValue version;
  ASSERT_EQ(key.QueryValue("DriverVersion", &version), 0);
  EXPECT_EQ(version.AsString(), "11.17.27.0");
}

TEST(DeviceManagerTest, WindowsXpHasNoDeviceProperties) {
  json profile = SmallPc();
  profile["os"] = {{"major", 5},
                   {"minor", 1},
                   {"build", 2600},
                   {"64bit", false},
                   {"windows_dir", "C:\\WINDOWS"}};
  testing::TempMachine pc(profile);
  EXPECT_FALSE(DevicePropertyCallAvailable());
  Enumerated all;
  PropertyValue value;
  int32_t error = 0;
  EXPECT_FALSE(all.set.GetDeviceProperty(all.Of(kNic), kDriverVersion, &value, &error));
  EXPECT_EQ(error, win_error::kInvalidFunction);
  // The registry properties and the driver key are there as on any Windows.
  EXPECT_TRUE(all.set.GetDeviceRegistryProperty(all.Of(kNic), spdrp::kDriver, &value, &error));
}

TEST(DeviceManagerTest, DeviceNodeStatusFollowsPresenceAndProblem) {
  json profile = SmallPc();
  auto& devices = profile["devices"];
  devices.push_back(
      {{"instance_id", "PCI\\VEN_8086&DEV_0102&SUBSYS_04AA1028&REV_09\\3&11583659&0&10"},
       {"class", "Display"},
       {"hardware_ids", {"PCI\\VEN_8086&DEV_0102"}},
       {"problem", 22}});
  devices.push_back(
      {{"instance_id", "PCI\\VEN_168C&DEV_002B&SUBSYS_30A1168C&REV_01\\4&39f5c2e&0&00E0"},
       {"class", "Net"},
       {"hardware_ids", {"PCI\\VEN_168C&DEV_002B"}},
       {"problem", 14}});
  devices.push_back({{"instance_id", "ROOT\\SYSTEM\\0000"},
                     {"class", "System"},
                     {"hardware_ids", {"root\\swenum"}}});
  devices.push_back({{"instance_id", "ACPI\\PNP0C02\\1"},
                     {"class", "System"},
                     {"hardware_ids", {"*PNP0C02"}},
                     {"status", "0x0180200B"},
                     {"problem", 0}});
  testing::TempMachine pc(profile);
  Enumerated all;
  struct Case {
    std::string device;
    uint32_t cr;
    uint32_t status;
    uint32_t problem;
  } cases[] = {
      {kNic, cr::kSuccess, 0x0180200A, 0},
      {kStick, cr::kNoSuchDevnode, 0, 0},
      {"PCI\\VEN_8086&DEV_0102&SUBSYS_04AA1028&REV_09\\3&11583659&0&10", cr::kSuccess, 0x01802400,
       22},
      {"PCI\\VEN_168C&DEV_002B&SUBSYS_30A1168C&REV_01\\4&39f5c2e&0&00E0", cr::kSuccess, 0x01802500,
       14},
      {"ROOT\\SYSTEM\\0000", cr::kSuccess, 0x0180200B, 0},
      {kBeep, cr::kSuccess, 0x0180300B, 0},
      {"ACPI\\PNP0C02\\1", cr::kSuccess, 0x0180200B, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device);
    uint32_t status = 0, problem = 0;
    EXPECT_EQ(GetDevNodeStatus(all.Of(c.device).dev_inst, &status, &problem), c.cr);
    if (c.cr == cr::kSuccess) {
      EXPECT_EQ(status, c.status);
      EXPECT_EQ(problem, c.problem);
    }
  }
  uint32_t status = 0, problem = 0;
  EXPECT_EQ(GetDevNodeStatus(999999, &status, &problem), cr::kNoSuchDevnode);
}

TEST(DeviceManagerTest, ClassesAnswerTheirDescriptionAndImage) {
  testing::TempMachine pc(SmallPc());
  struct Case {
    const char* guid;
    bool known;
    const char* description;
    int image;
  } cases[] = {
      {kNetGuid, true, "Network adapters", 15},
      {kLegacyGuid, true, "Non-Plug and Play Drivers", 22},
      {"{5C4C3332-344D-483C-8739-259E934C9CC8}", true, "Memory technology devices", 9},
      {"{5c4c3332-344d-483c-8739-259e934c9cc8}", true, "Memory technology devices", 9},
      {"{00000000-0000-0000-0000-000000000001}", false, "", 0},
      {"", false, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.guid);
    std::string description;
    int image = -1;
    int32_t error = 0;
    EXPECT_EQ(GetClassDescription(c.guid, &description, &error), c.known);
    EXPECT_EQ(GetClassImageIndex(c.guid, &image, &error), c.known);
    if (c.known) {
      EXPECT_EQ(description, c.description);
      EXPECT_EQ(image, c.image);
    } else {
      EXPECT_EQ(error, setup_error::kInvalidClass);
      EXPECT_EQ(static_cast<uint32_t>(error), 0xE0000206u);
    }
  }
  std::vector<std::string> guids;
  ASSERT_TRUE(GetClassGuids(&guids));
  EXPECT_THAT(guids, ::testing::Contains("{5C4C3332-344D-483C-8739-259E934C9CC8}"));
  EXPECT_THAT(guids, ::testing::Contains(kNetGuid));
}

TEST(DeviceManagerTest, TheInstalledDriverIsListedOnlyWithTheInstalledDriverFlag) {
  testing::TempMachine pc(SmallPc());
  Enumerated all;
  const DeviceInfoData& nic = all.Of(kNic);
  DriverInfo driver;
  int32_t error = 0;
  ASSERT_TRUE(all.set.BuildCompatibleDriverList(nic, &error));
  EXPECT_FALSE(all.set.EnumDriverInfo(nic, 0, &driver, &error));
  EXPECT_EQ(error, win_error::kNoMoreItems);

  DeviceInstallParams params;
  ASSERT_TRUE(all.set.GetDeviceInstallParams(nic, &params));
  EXPECT_EQ(params.flags_ex, 0u);
  params.flags_ex |= di_flags_ex::kInstalledDriver;
  ASSERT_TRUE(all.set.SetDeviceInstallParams(nic, params));
  ASSERT_TRUE(all.set.GetDeviceInstallParams(nic, &params));
  EXPECT_EQ(params.flags_ex, di_flags_ex::kInstalledDriver);
  ASSERT_TRUE(all.set.BuildCompatibleDriverList(nic, &error));
  ASSERT_TRUE(all.set.EnumDriverInfo(nic, 0, &driver, &error)) << error;
  EXPECT_EQ(driver.description, "Intel(R) 82579LM Gigabit Network Connection");
  EXPECT_EQ(driver.manufacturer, "Intel");
  EXPECT_EQ(driver.provider, "Intel");
  EXPECT_EQ(driver.driver_version, (11ull << 48) | (17ull << 32) | (27ull << 16) | 0);
  EXPECT_EQ(driver.driver_date, LocalFileTime(2012, 9, 6, 0, 0, 0, 300));
  EXPECT_EQ(driver.inf_file, "oem8.inf");
  EXPECT_EQ(driver.section, "E1502.6.1.1");
  EXPECT_EQ(driver.hardware_id, "pci\\ven_8086&dev_1502&subsys_04aa1028");
  EXPECT_FALSE(all.set.EnumDriverInfo(nic, 1, &driver, &error));
  EXPECT_EQ(error, win_error::kNoMoreItems);

  // A device without a driver has none to list, flag or not.
  const DeviceInfoData& stick = all.Of(kStick);
  ASSERT_TRUE(all.set.SetDeviceInstallParams(stick, params));
  ASSERT_TRUE(all.set.BuildCompatibleDriverList(stick, &error));
  EXPECT_FALSE(all.set.EnumDriverInfo(stick, 0, &driver, &error));
  EXPECT_EQ(error, win_error::kNoMoreItems);
}

// One injected failure per call: the call fails with the profile's code, and
// the same call on another device (or class) still works.
TEST(DeviceManagerTest, EachFaultKindFailsItsCall) {
  using Call = std::function<int64_t(Enumerated&, const std::string& device)>;
  auto element_call = [](auto body) -> Call {
    return [body](Enumerated& all, const std::string& device) -> int64_t {
      int32_t error = 0;
      return body(all.set, all.Of(device), &error) ? 0 : error;
    };
  };
  struct Case {
    json fault;
    Call call;
  } cases[] = {
      {{{"call", "SetupDiEnumDeviceInfo"}, {"index", 1}, {"error", 31}},
       [](Enumerated& all, const std::string& device) -> int64_t {
         DeviceInfoData element;
         int32_t error = 0;
         const uint32_t index = device == kNic ? 0 : 1;
         return all.set.EnumDeviceInfo(index, &element, &error) ? 0 : error;
       }},
      {{{"call", "SetupDiGetDeviceInstanceId"}, {"device", kStick}, {"error", 13}},
       [](Enumerated& all, const std::string& device) -> int64_t {
         std::string id;
         int32_t error = 0;
         const DeviceInfoData& e = all.elements[device == kNic ? 0 : 1];
         return all.set.GetDeviceInstanceId(e, &id, &error) ? 0 : error;
       }},
      {{{"call", "SetupDiGetDeviceRegistryProperty"},
        {"device", kStick},
        {"property", 1},
        {"error", 122}},
       element_call([](DeviceInfoSet& set, const DeviceInfoData& e, int32_t* error) {
         PropertyValue v;
         return set.GetDeviceRegistryProperty(e, spdrp::kHardwareId, &v, error);
       })},
      {{{"call", "SetupDiGetDeviceProperty"},
        {"class", kUsbGuid},
        {"property", "{540B947E-8B40-45BC-A8A2-6A0B894CBDA2} 4"},
        {"error", 5}},
       element_call([](DeviceInfoSet& set, const DeviceInfoData& e, int32_t* error) {
         PropertyValue v;
         const bool ok = set.GetDeviceProperty(e, kBusDescription, &v, error);
         return ok || *error == win_error::kNotFound;
       })},
      {{{"call", "SetupDiGetDeviceInstallParams"}, {"device", kStick}, {"error", 87}},
       element_call([](DeviceInfoSet& set, const DeviceInfoData& e, int32_t* error) {
         DeviceInstallParams p;
         return set.GetDeviceInstallParams(e, &p, error);
       })},
      {{{"call", "SetupDiSetDeviceInstallParams"}, {"device", kStick}, {"error", 87}},
       element_call([](DeviceInfoSet& set, const DeviceInfoData& e, int32_t* error) {
         return set.SetDeviceInstallParams(e, {}, error);
       })},
      {{{"call", "SetupDiBuildDriverInfoList"}, {"device", kStick}, {"error", 8}},
       element_call([](DeviceInfoSet& set, const DeviceInfoData& e, int32_t* error) {
         return set.BuildCompatibleDriverList(e, error);
       })},
      {{{"call", "SetupDiEnumDriverInfo"}, {"device", kStick}, {"error", 8}},
       element_call([](DeviceInfoSet& set, const DeviceInfoData& e, int32_t* error) {
         DriverInfo d;
         const bool ok = set.EnumDriverInfo(e, 0, &d, error);
         return ok || *error == win_error::kNoMoreItems;
       })},
      {{{"call", "CM_Get_DevNode_Status"}, {"device", kStick}, {"cr", 0x13}},
       [](Enumerated& all, const std::string& device) -> int64_t {
         uint32_t status = 0, problem = 0;
         return GetDevNodeStatus(all.Of(device).dev_inst, &status, &problem);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault.dump());
    json profile = SmallPc();
    profile["faults"] = json::array({c.fault});
    profile["devices"][1]["present"] = true;
    testing::TempMachine pc(profile);
    Enumerated all;
    const int64_t expected =
        c.fault.contains("cr") ? c.fault["cr"].get<int64_t>() : c.fault["error"].get<int64_t>();
    EXPECT_EQ(c.call(all, kStick), expected);
    EXPECT_EQ(c.call(all, kNic), 0);
  }
}

TEST(DeviceManagerTest, SetAndClassFaultsAndTheirStrikeLimit) {
  json profile = SmallPc();
  profile["faults"] = json::parse(R"([
      {"call": "SetupDiGetClassDevs", "error": 8, "times": 1},
      {"call": "SetupDiDestroyDeviceInfoList", "error": 6},
      {"call": "SetupDiGetClassDescription", "class": "{4D36E972-E325-11CE-BFC1-08002BE10318}", "error": 1359}])");
  testing::TempMachine pc(profile);
  DeviceInfoSet set;
  int32_t error = 0;
  EXPECT_FALSE(set.CreateForAllDevices(&error));
  EXPECT_EQ(error, 8);
  EXPECT_FALSE(set.IsValid());
  EXPECT_TRUE(set.CreateForAllDevices(&error)) << "the fault strikes once";
  EXPECT_FALSE(set.Destroy(&error));
  EXPECT_EQ(error, 6);
  std::string description;
  EXPECT_FALSE(GetClassDescription(kNetGuid, &description, &error));
  EXPECT_EQ(error, 1359);
  EXPECT_TRUE(GetClassDescription(kUsbGuid, &description, &error));
  EXPECT_EQ(description, "Universal Serial Bus controllers");
}

}  // namespace
}  // namespace tav::platform
