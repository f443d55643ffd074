// The device entries of a profile as the virtual PC stores them: what is
// refused, the instance IDs of service children, replacing and removing,
// and describing a device so that it can be added again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/clock.h"
#include "platform/linux/device_tree.h"
#include "platform/linux/virtual_pc.h"
#include "platform/registry.h"
#include "tests/support/temp_machine.h"

namespace tav::platform::vpc {
namespace {

using nlohmann::json;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

constexpr const char* kUsbGuid = "{36FC9E60-C465-11CF-8056-444553540000}";

json NoDevices() {
  return {{"devices", json::array()}};
}

bool KeyExists(const std::string& path) {
  RegistryKey key;
  return key.Open(RegRoot::kLocalMachine, path, RegAccess::kRead) == 0;
}

std::vector<std::string> NodeIds() {
  std::vector<std::string> ids;
  for (const DeviceNode& n : ListDeviceNodes(&VirtualPc::Current()))
    ids.push_back(n.instance_id);
  return ids;
}

json Printer() {
  return json::parse(R"json({
    "instance_id": "USB\\VID_03F0&PID_3D17\\KJ23BLM", "class": "USB", "description": "USB Printing Support",
    "hardware_ids": ["USB\\VID_03F0&PID_3D17&REV_0100", "USB\\VID_03F0&PID_3D17"],
    "service": "usbprint", "parent_id_prefix": "7&2a3b4c5d&0",
    "children": [
      {"device_id": "Hewlett-PackardHP_LaserJet_P1005", "instance": "USB001", "class": "Printer",
       "description": "HP LaserJet P1005", "hardware_ids": ["USBPRINT\\Hewlett-PackardHP_LaserJet_P1005"]},
      {"device_id": "Hewlett-PackardHP_LaserJet_P1005", "class": "Printer",
       "description": "HP LaserJet P1005 (copy 1)", "hardware_ids": ["USBPRINT\\Hewlett-PackardHP_LaserJet_P1005"]}
    ]
})json");
}

struct BadDevice {
  const char* label;
  const char* device;
  const char* reason;
};

TEST(DeviceTreeTest, ABadDeviceIsRefusedWithItsReasonAndNothingIsWritten) {
  testing::TempMachine pc(NoDevices());
  const BadDevice cases[] = {
      {"not an object", R"(["PCI\\VEN_8086"])", "must be an object"},
      {"no instance ID", R"({"class": "Net"})", "needs an \"instance_id\""},
      {"two parts only", R"({"instance_id": "ROOT\\X"})", "is not enumerator\\device ID\\instance"},
      {"four parts", R"({"instance_id": "A\\B\\C\\D"})", "is not enumerator\\device ID\\instance"},
      {"misspelt field", R"({"instance_id": "ROOT\\X\\0000", "hardware_id": ["X"]})",
       "unknown field \"hardware_id\""},
      {"text where a list belongs", R"({"instance_id": "ROOT\\X\\0000", "hardware_ids": "X"})",
       "\"hardware_ids\" must be a list of texts"},
      {"present as a number", R"({"instance_id": "ROOT\\X\\0000", "present": 1})",
       "\"present\" must be true or false"},
      {"negative problem", R"({"instance_id": "ROOT\\X\\0000", "problem": -1})",
       "\"problem\" must be a number"},
      {"status not hexadecimal", R"({"instance_id": "ROOT\\X\\0000", "status": "0xZZ"})",
       "\"status\" must be a number"},
      {"unknown class", R"({"instance_id": "ROOT\\X\\0000", "class": "Gadgets"})",
       "unknown class \"Gadgets\""},
      {"class GUID without braces", R"({"instance_id": "ROOT\\X\\0000", "class_guid": "4D36E972"})",
       "is not a GUID in braces"},
      {"driver without class",
       R"({"instance_id": "ROOT\\X\\0000", "driver": {"provider": "Microsoft"}})",
       "a device with a driver needs a class"},
      {"driver field misspelt",
       R"({"instance_id": "ROOT\\X\\0000", "class": "System", "driver": {"vendor": "X"}})",
       "driver: unknown field \"vendor\""},
      {"driver date in another form",
       R"({"instance_id": "ROOT\\X\\0000", "class": "System", "driver": {"date": "06/21/2006"}})",
       "is not yyyy-mm-dd"},
      {"driver key not four digits",
       R"({"instance_id": "ROOT\\X\\0000", "class": "System", "driver": {"key": "12"}})",
       "is not four digits"},
      {"unknown property", R"({"instance_id": "ROOT\\X\\0000", "properties": {"colour": "red"}})",
       "unknown property \"colour\""},
      {"property date unreadable",
       R"({"instance_id": "ROOT\\X\\0000", "properties": {"install_date": "soon"}})",
       "is not a date"},
      {"registry value of the wrong type",
       R"({"instance_id": "ROOT\\X\\0000", "registry": [{"name": "A", "type": "REG_DWORD", "data": "1"}]})",
       "must be a number"},
      {"children without a service",
       R"({"instance_id": "ROOT\\X\\0000", "children": [{"device_id": "Y"}]})",
       "needs the \"service\""},
      {"child without device ID",
       R"({"instance_id": "ROOT\\X\\0000", "service": "usbprint", "children": [{"class": "Printer"}]})",
       "needs a \"device_id\""},
      {"child outside the service's enumerator",
       R"({"instance_id": "ROOT\\X\\0000", "service": "usbprint", "parent_id_prefix": "7&1&0",
           "children": [{"instance_id": "USB\\Y\\7&1&0&1"}]})",
       "must lie under USBPRINT\\"},
      {"child ID fields on a top-level device",
       R"({"instance_id": "ROOT\\X\\0000", "device_id": "Y"})", "unknown field \"device_id\""},
  };
  for (const BadDevice& c : cases) {
    SCOPED_TRACE(c.label);
    std::string error;
    EXPECT_FALSE(AddDevice(&VirtualPc::Current(), json::parse(c.device), &error));
    EXPECT_THAT(error, HasSubstr(c.reason));
    EXPECT_FALSE(KeyExists(std::string(kEnumPath) + "ROOT\\X\\0000"));
    EXPECT_TRUE(NodeIds().empty());
  }
}

TEST(DeviceTreeTest, ChildrenLieUnderTheServicesEnumeratorWithTheParentsPrefix) {
  testing::TempMachine pc(NoDevices());
  std::string error;
  ASSERT_TRUE(AddDevice(&VirtualPc::Current(), Printer(), &error)) << error;
  EXPECT_THAT(NodeIds(),
              ElementsAre("USB\\VID_03F0&PID_3D17\\KJ23BLM",
                          "USBPRINT\\Hewlett-PackardHP_LaserJet_P1005\\7&2a3b4c5d&0&USB001",
                          "USBPRINT\\Hewlett-PackardHP_LaserJet_P1005\\7&2a3b4c5d&0&1"));
  RegistryKey parent;
  ASSERT_EQ(
      parent.Open(RegRoot::kLocalMachine,
                  std::string(kEnumPath) + "USB\\VID_03F0&PID_3D17\\KJ23BLM", RegAccess::kRead),
      0);
  RegValue value;
  ASSERT_EQ(parent.QueryValue("ParentIdPrefix", &value), 0);
  EXPECT_EQ(value.AsString(), "7&2a3b4c5d&0");
}

TEST(DeviceTreeTest, AParentWithoutPrefixGetsOneInWindowsShape) {
  testing::TempMachine pc(NoDevices());
  json hub = {{"instance_id", "USB\\VID_8087&PID_0024\\5&1f3c7a27&0&1"},
              {"class", "USB"},
              {"service", "usbstor"},
              {"children", {{{"device_id", "Disk&Ven_Generic"}, {"hardware_ids", {"GenDisk"}}}}}};
  std::string error;
  ASSERT_TRUE(AddDevice(&VirtualPc::Current(), hub, &error)) << error;
  const json described =
      DescribeDevice(&VirtualPc::Current(), hub["instance_id"].get<std::string>());
  const std::string prefix = described.value("parent_id_prefix", "");
  EXPECT_THAT(prefix, MatchesRegex("6&[0-9a-f]+&0"));
  EXPECT_EQ(NodeIds().back(), "USBSTOR\\Disk&Ven_Generic\\" + prefix + "&0");
}

TEST(DeviceTreeTest, ADeviceWithABadChildIsNotAddedAtAll) {
  testing::TempMachine pc(NoDevices());
  json printer = Printer();
  printer["children"][1]["present"] = "yes";
  std::string error;
  EXPECT_FALSE(AddDevice(&VirtualPc::Current(), printer, &error));
  EXPECT_THAT(error, HasSubstr("\"present\" must be true or false"));
  EXPECT_TRUE(NodeIds().empty());
  EXPECT_FALSE(KeyExists(std::string(kEnumPath) + "USB\\VID_03F0&PID_3D17\\KJ23BLM"));
  EXPECT_FALSE(KeyExists(std::string(kEnumPath) + "USBPRINT"));
}

TEST(DeviceTreeTest, AReplacedDeviceKeepsItsDriverKeyAndARemovedOneTakesItAway) {
  testing::TempMachine pc(NoDevices());
  VirtualPc* machine = &VirtualPc::Current();
  auto hub = [](const char* instance, const char* version) {
    return json{
        {"instance_id", std::string("USB\\VID_8087&PID_0024\\") + instance},
        {"class", "USB"},
        {"hardware_ids", {"USB\\VID_8087&PID_0024"}},
        {"driver", {{"provider", "Microsoft"}, {"version", version}, {"date", "2006-06-21"}}}};
  };
  std::string error;
  ASSERT_TRUE(AddDevice(machine, hub("5&1&0&1", "6.1.7600.16385"), &error)) << error;
  ASSERT_TRUE(AddDevice(machine, hub("5&2&0&1", "6.1.7600.16385"), &error)) << error;
  ASSERT_TRUE(AddDevice(machine, hub("5&1&0&1", "6.1.7601.17514"), &error)) << error;
  const std::string class_key = std::string(kClassPath) + kUsbGuid;
  RegistryKey key;
  ASSERT_EQ(key.Open(RegRoot::kLocalMachine, class_key, RegAccess::kRead), 0);
  std::vector<std::string> numbers;
  key.EnumSubKeys(&numbers);
  EXPECT_THAT(numbers, ::testing::UnorderedElementsAre("0000", "0001"));
  const json first = DescribeDevice(machine, "USB\\VID_8087&PID_0024\\5&1&0&1");
  EXPECT_EQ(first["driver"]["key"], "0000");
  EXPECT_EQ(first["driver"]["version"], "6.1.7601.17514");
  EXPECT_EQ(NodeIds().size(), 2u) << "the node is the same, not a second one";

  ASSERT_TRUE(RemoveDevice(machine, "USB\\VID_8087&PID_0024\\5&1&0&1", &error)) << error;
  numbers.clear();
  key.EnumSubKeys(&numbers);
  EXPECT_THAT(numbers, ElementsAre("0001"));
  EXPECT_THAT(NodeIds(), ElementsAre("USB\\VID_8087&PID_0024\\5&2&0&1"));
  EXPECT_TRUE(KeyExists(std::string(kEnumPath) + "USB\\VID_8087&PID_0024"));
  ASSERT_TRUE(RemoveDevice(machine, "USB\\VID_8087&PID_0024\\5&2&0&1", &error)) << error;
  EXPECT_FALSE(KeyExists(std::string(kEnumPath) + "USB"))
      << "empty device-ID and enumerator keys go too";
  EXPECT_FALSE(RemoveDevice(machine, "USB\\VID_8087&PID_0024\\5&2&0&1", &error));
  EXPECT_THAT(error, HasSubstr("no device"));
}

// Every device of the bundled PC, described and added again, is described
// the same; what AddDevice derives is not repeated.
TEST(DeviceTreeTest, EveryBundledDeviceDescribedAndAddedAgainIsTheSame) {
  testing::TempMachine pc;
  VirtualPc* machine = &VirtualPc::Current();
  const std::vector<DeviceNode> nodes = ListDeviceNodes(machine);
  ASSERT_GE(nodes.size(), 120u);
  for (const DeviceNode& node : nodes) {
    SCOPED_TRACE(node.instance_id);
    const json before = DescribeDevice(machine, node.instance_id);
    ASSERT_TRUE(before.is_object());
    std::string error;
    ASSERT_TRUE(AddDevice(machine, before, &error)) << error;
    EXPECT_EQ(DescribeDevice(machine, node.instance_id), before);
  }
  const json nic =
      DescribeDevice(machine, "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04\\3&11583659&0&C8");
  EXPECT_FALSE(nic.contains("status")) << "the default status is not repeated";
  EXPECT_FALSE(nic["properties"].contains("driver_version")) << "derived from the driver";
  EXPECT_EQ(nic["driver"]["date"], "2012-09-06");
  EXPECT_EQ(ListDeviceNodes(machine).size(), nodes.size());
}

TEST(DeviceTreeTest, DriverDatesAreMidnightInTheNewPcsTimeZone) {
  testing::TempMachine current({{"os", {{"time_zone_bias", 0}}}, {"devices", json::array()}});
  testing::TempFolder folder;
  json profile = json::parse(VirtualPc::DefaultProfile());
  profile["os"]["time_zone_bias"] = -120;
  profile["devices"] = {{{"instance_id", "ROOT\\X\\0000"},
                         {"class", "System"},
                         {"hardware_ids", {"ROOT\\X"}},
                         {"driver", {{"key", "0042"}, {"date", "2006-06-21"}}}}};
  std::string error;
  ASSERT_TRUE(VirtualPc::Create(folder.path() + "/pc", profile.dump(), &error)) << error;
  ASSERT_TRUE(VirtualPc::Use(folder.path() + "/pc", &error)) << error;
  RegistryKey key;
  ASSERT_EQ(key.Open(RegRoot::kLocalMachine,
                     std::string(kClassPath) + "{4D36E97D-E325-11CE-BFC1-08002BE10318}\\0042",
                     RegAccess::kRead),
            0);
  RegValue date;
  ASSERT_EQ(key.QueryValue("DriverDateData", &date), 0);
  uint64_t stored = 0;
  std::memcpy(&stored, date.data.data(), 8);
  SystemTime midnight;
  midnight.year = 2006;
  midnight.month = 6;
  midnight.day = 21;
  uint64_t local = 0;
  SystemTimeToFileTime(midnight, &local);
  EXPECT_EQ(stored, local - 120ull * 60 * 10000000);
  RegValue text;
  ASSERT_EQ(key.QueryValue("DriverDate", &text), 0);
  EXPECT_EQ(text.AsString(), "6-21-2006");
}

TEST(DeviceTreeTest, ABadFaultListIsRefusedWhenThePcIsMade) {
  struct Case {
    const char* label;
    const char* faults;
    const char* reason;
  } cases[] = {
      {"not a list", R"({"call": "SetupDiGetClassDevs"})", "\"faults\" must be a list"},
      {"unknown call", R"([{"call": "SetupDiGetClassDevsEx"}])", "unknown call"},
      {"misspelt field", R"([{"call": "CM_Get_DevNode_Status", "devices": "X"}])",
       "unknown field \"devices\""},
      {"error as text", R"([{"call": "SetupDiGetClassDevs", "error": "8"}])",
       "\"error\" has the wrong type"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    testing::TempFolder folder;
    json profile = json::parse(VirtualPc::DefaultProfile());
    profile["faults"] = json::parse(c.faults);
    std::string error;
    EXPECT_FALSE(VirtualPc::Create(folder.path() + "/pc", profile.dump(), &error));
    EXPECT_THAT(error, HasSubstr(c.reason));
  }
}

}  // namespace
}  // namespace tav::platform::vpc
