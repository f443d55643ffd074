// The device list made from virtual PCs whose devices show one case each.
#include "devices/device_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/folders.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using nlohmann::json;

const char* kNet = "{4D36E972-E325-11CE-BFC1-08002BE10318}";

json NetworkCard(const std::string& instance, const std::string& name, bool present = true) {
  return {{"instance_id", instance},
          {"class", "Net"},
          {"hardware_ids", {"PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04", "PCI\\VEN_8086&DEV_1502"}},
          {"compatible_ids", {"PCI\\VEN_8086&CC_020000", "PCI\\CC_0200"}},
          {"description", name},
          {"manufacturer", "Intel"},
          {"present", present},
          {"driver",
           {{"provider", "Intel"},
            {"version", "11.15.16.0"},
            {"date", "2011-10-21"},
            {"inf_path", "oem12.inf"},
            {"inf_section", "E1502.6.1.1"},
            {"matching_device_id", "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028"},
            {"description", name}}}};
}

class DeviceListTest : public ::testing::Test {
 protected:
  // Makes a PC with these devices (and profile overrides), writes its list.
  TMemIniFile Generate(const json& devices, json overrides = json::object(), bool* completed = nullptr) {
    overrides["devices"] = devices;
    pc_ = std::make_unique<testing::TempMachine>(overrides);
    MainThread::Init();
    GetFolders() = Folders();
    ResolveFixedFolders();
    InitParams("Tavrolin", "", "", false);
    XLog::Init(GetFolders().core_work);
    const bool done = GenerateDevicesList("Devices.ini");
    if (completed) *completed = done;
    return TMemIniFile(GetFolders().core_work + "Devices.ini");
  }
  void TearDown() override { XLog::Stop(); }
  static int Count(const TMemIniFile& ini, const char* key) {
    return static_cast<int>(ini.ReadInteger("Settings", key, -1));
  }
  std::unique_ptr<testing::TempMachine> pc_;
};

TEST_F(DeviceListTest, ADeviceSectionHoldsEveryKeyInOrder) {
  json card = NetworkCard("PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04\\3&11583659&0&C8",
                          "Intel(R) 82579LM Gigabit Network Connection");
  card["service"] = "e1cexpress";
  card["location"] = "PCI bus 0, device 25, function 0";
  card["config_flags"] = 0;
  card["capabilities"] = 0x84;
  card["install_state"] = 0;
  card["physical_name"] = "\\Device\\NTPNP_PCI0010";
  card["properties"] = {{"install_date", "2014-03-01 10:00:00"},
                        {"first_install_date", "2014-03-01 09:00:00"}};
  const TMemIniFile ini = Generate(json::array({card}));
  EXPECT_EQ(ini.ReadSections(),
            (std::vector<std::string>{"Settings", "Errors", "Duplicates", "Empty", "0", "ClassNames"}));
  EXPECT_THAT(ini.ReadSection("0"),
              ElementsAreArray({"IsConnected", "IsFailed", "NeedRestart", "DevBusDesc", "DeviceDesc",
                                "DeviceDescRaw", "ClassName", "Class", "EnumKey", "ClassGUID",
                                "ClassKey", "DriverDate", "DriverDateRaw", "RegDriverDate",
                                "DevDriverDate", "DriverVersion", "RegDriverVersion",
                                "DevDriverVersion", "HardwareIDregular", "HardwareIDcompat",
                                "ConfigFlags", "DevProvider", "RegProvider", "DevManufacturer",
                                "RegManufacturer", "Vendor", "DevInstallDateRaw", "InfPath",
                                "InfSection", "DevInstallDate", "DevFirstInstallDate",
                                "DevFirstInstallDateRaw", "NodeStatus", "NodeStatusStr",
                                "NodeProblemNumber", "NodeProblemStr", "DeviceIndex",
                                "RegDriverDesc", "DevDriverDesc", "DevDetailedDesc", "DevWebSite",
                                "DevModel", "DevFriendly", "ConfigFlagsStr", "HardwareIDmatch",
                                "DevHardwareIDmatch", "HardwareIDservice", "HardwareIDserviceRaw",
                                "Capabilities", "CapabilitiesStr", "Characretistics",
                                "CharacretisticsStr", "InstallState", "InstallStateStr",
                                "RegPhysicalName", "RegEnumerator", "RegLocation", "RegService",
                                "RegUiNumber"}));
  auto v = [&](const char* key) { return ini.ReadString("0", key, "<absent>"); };
  EXPECT_EQ(v("IsConnected"), "1");
  EXPECT_EQ(v("DeviceDesc"), "Intel(R) 82579LM Gigabit Network Connection");
  EXPECT_EQ(v("ClassName"), "Net");
  EXPECT_EQ(v("Class"), "Network adapters");
  EXPECT_EQ(v("ClassGUID"), kNet);
  EXPECT_EQ(v("ClassKey"), std::string(kNet) + "\\0000");
  EXPECT_EQ(v("DriverDate"), "10-21-2011");
  EXPECT_EQ(v("DriverDateRaw"), "40837");
  EXPECT_EQ(v("DriverVersion"), "11.15.16.0");
  EXPECT_EQ(v("HardwareIDregular"), "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04,PCI\\VEN_8086&DEV_1502");
  EXPECT_EQ(v("HardwareIDcompat"), "PCI\\VEN_8086&CC_020000,PCI\\CC_0200");
  EXPECT_EQ(v("Vendor"), "INTEL");
  EXPECT_EQ(v("InfPath"), "oem12.inf");
  EXPECT_EQ(v("DevInstallDate"), "03-01-2014");
  EXPECT_EQ(v("NodeStatus"), "25174026");
  EXPECT_EQ(v("NodeStatusStr"), "DN_DRIVER_LOADED DN_STARTED DN_DISABLEABLE DN_NT_ENUMERATOR DN_NT_DRIVER");
  EXPECT_EQ(v("NodeProblemStr"), "");
  EXPECT_EQ(v("CapabilitiesStr"), "CM_DEVCAP_REMOVABLE CM_DEVCAP_SURPRISEREMOVALOK");
  EXPECT_EQ(v("InstallStateStr"), "CM_INSTALL_STATE_INSTALLED");
  EXPECT_EQ(v("RegPhysicalName"), "\\Device\\NTPNP_PCI0010");
  EXPECT_EQ(v("RegEnumerator"), "PCI");
  EXPECT_EQ(v("RegService"), "e1cexpress");
  EXPECT_EQ(ini.ReadString("Settings", "Windows", ""), "7");
  EXPECT_EQ(ini.ReadString("Settings", "x64", ""), "1");
  EXPECT_EQ(ini.ReadString("Settings", "Version", ""), "2");
  EXPECT_THAT(ini.ReadSection("ClassNames"), ElementsAre("Net"));
}

TEST_F(DeviceListTest, DuplicatesEmptyAndIgnoredElementsAreCounted) {
  const json devices = json::array({
      NetworkCard("PCI\\VEN_8086&DEV_1502\\OLD", "Intel Network", false),  // met first, not connected
      NetworkCard("PCI\\VEN_8086&DEV_1502\\NEW", "Intel Network", true),   // takes its place
      {{"instance_id", "ROOT\\LEGACY_BEEP\\0000"}, {"class", "LegacyDriver"}, {"description", "Beep"}},
      {{"instance_id", "ROOT\\NOIDS\\0000"}, {"class", "System"}, {"description", "Nothing"}},
      NetworkCard("PCI\\VEN_8086&DEV_1502\\THIRD", "Intel Network", true),  // a second connected one
      NetworkCard("PCI\\VEN_10EC&DEV_8168\\01", "Realtek PCIe GBE Family Controller", true),
  });
  const TMemIniFile ini = Generate(devices);
  EXPECT_EQ(Count(ini, "TotalDevices"), 6);
  EXPECT_EQ(Count(ini, "UniqueDevices"), 2);
  EXPECT_EQ(Count(ini, "DuplicateDevices"), 2);
  EXPECT_EQ(Count(ini, "EmptyDevices"), 1);
  EXPECT_EQ(Count(ini, "IgnoreDevices"), 1);
  EXPECT_EQ(Count(ini, "ShouldFoundDevices"), 2);
  EXPECT_EQ(ini.ReadString("0", "EnumKey", ""), "PCI\\VEN_8086&DEV_1502\\NEW");
  EXPECT_EQ(ini.ReadString("0", "IsConnected", ""), "1");
  EXPECT_EQ(ini.ReadString("1", "EnumKey", ""), "PCI\\VEN_10EC&DEV_8168\\01")
      << "the empty element used no section number";
  EXPECT_FALSE(ini.SectionExists("2"));
  const std::vector<std::string> duplicates = ini.ReadSectionValues("Duplicates");
  ASSERT_EQ(duplicates.size(), 3u);
  EXPECT_THAT(duplicates[1], ::testing::MatchesRegex(
                                 R"(1 [0-9]+=PCI\\VEN_8086&DEV_1502Intel Network \| \{4D36E972-.*\})"));
  EXPECT_THAT(duplicates[2], ::testing::StartsWith("4 "));
  const std::vector<std::string> empty = ini.ReadSectionValues("Empty");
  ASSERT_EQ(empty.size(), 2u);
  EXPECT_THAT(empty[1], ::testing::MatchesRegex(R"(3 [0-9]+=System devices)"));
}

TEST_F(DeviceListTest, UnknownDevicesAreNamedByTheirBus) {
  const json devices = json::array({
      {{"instance_id", "USB\\VID_0A5C&PID_5800&MI_02\\7&1C4B0CA&0&0002"},
       {"class", "Unknown"},
       {"hardware_ids", {"USB\\VID_0A5C&PID_5800&REV_0101&MI_02", "USB\\VID_0A5C&PID_5800&MI_02"}},
       {"description", "Unknown device"},
       {"problem", 28},
       {"properties", {{"bus_reported_description", "5880"}}}},
  });
  const TMemIniFile ini = Generate(devices);
  EXPECT_EQ(ini.ReadString("0", "DeviceDescRaw", ""), "5880");
  EXPECT_EQ(ini.ReadString("0", "DevBusDesc", ""), "5880");
  EXPECT_EQ(ini.ReadString("0", "ClassName", ""), "Unknown");
  EXPECT_EQ(ini.ReadString("0", "Class", ""), "Other devices");
  EXPECT_EQ(ini.ReadString("0", "IsFailed", ""), "1");
  EXPECT_EQ(ini.ReadString("0", "NodeProblemStr", ""), "CM_PROB_FAILED_INSTALL");
  EXPECT_EQ(ini.ReadString("0", "DriverDate", ""), "12-30-1899") << "no driver: date 0";
  EXPECT_EQ(ini.ReadString("0", "DriverVersion", "<absent>"), "");
  EXPECT_FALSE(ini.ValueExists("0", "InstallState")) << "only for working devices";
  EXPECT_EQ(ini.ReadString("0", "HardwareIDregular", ""),
            "USB\\VID_0A5C&PID_5800&REV_0101&MI_02,USB\\VID_0A5C&PID_5800&MI_02");
}

TEST_F(DeviceListTest, AbsentAndDisabledDevices) {
  json gone = NetworkCard("PCI\\VEN_14E4&DEV_1677\\GONE", "Broadcom NetXtreme", false);
  json off = NetworkCard("PCI\\VEN_168C&DEV_002B\\OFF", "Atheros AR9285 Wireless", true);
  off["problem"] = 22;
  const TMemIniFile ini = Generate(json::array({gone, off}));
  EXPECT_EQ(ini.ReadString("0", "IsConnected", ""), "0");
  EXPECT_FALSE(ini.ValueExists("0", "NodeStatus")) << "no device node: no status keys";
  EXPECT_EQ(ini.ReadString("1", "IsConnected", ""), "0") << "disabled";
  EXPECT_EQ(ini.ReadString("1", "IsFailed", ""), "0");
  EXPECT_EQ(ini.ReadString("1", "NodeProblemNumber", ""), "22");
  EXPECT_EQ(ini.ReadSectionValues("Errors"), (std::vector<std::string>{"Dump=0"}))
      << "an absent device is no error";
}

TEST_F(DeviceListTest, VersionAndDateFallBackToTheClassKey) {
  json card = NetworkCard("PCI\\VEN_8086&DEV_1502\\X", "Intel Network");
  card["driver"]["version"] = "6,01,7601,17514";
  card["properties"] = {{"driver_version", nullptr}, {"driver_date", nullptr}};
  const TMemIniFile ini = Generate(json::array({card}));
  EXPECT_EQ(ini.ReadString("0", "DevDriverVersion", "<absent>"), "");
  EXPECT_EQ(ini.ReadString("0", "RegDriverVersion", ""), "6.1.7601.17514");
  EXPECT_EQ(ini.ReadString("0", "DriverVersion", ""), "6.1.7601.17514");
  EXPECT_EQ(ini.ReadString("0", "DevDriverDate", ""), "0");
  EXPECT_EQ(ini.ReadString("0", "DriverDate", ""), "10-21-2011") << "the class key's date";
}

TEST_F(DeviceListTest, ServiceChildrenAddTheirIds) {
  json controller = {{"instance_id", "PCI\\VEN_8086&DEV_1C20&SUBSYS_04AA1028&REV_05\\3&11583659&0&D8"},
                     {"class", "MEDIA"},
                     {"hardware_ids", {"PCI\\VEN_8086&DEV_1C20&SUBSYS_04AA1028&REV_05"}},
                     {"description", "High Definition Audio Controller"},
                     {"service", "HDAUDIO"},
                     {"parent_id_prefix", "4&2DD3FF2&0"}};
  json overrides = {
      {"registry",
       {{{"key", "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\HDAUDIO\\FUNC_01&VEN_10EC&DEV_0269\\4&2DD3FF2&0&0001"},
         {"values",
          {{{"name", "HardwareID"},
            {"type", "REG_MULTI_SZ"},
            {"data", {"HDAUDIO\\FUNC_01&VEN_10EC&DEV_0269&SUBSYS_102804AA&REV_1002",
                      "HDAUDIO\\FUNC_01&VEN_10EC&DEV_0269&SUBSYS_102804AA"}}}}}},
        {{"key", "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\HDAUDIO\\FUNC_02&VEN_8086&DEV_2805\\OTHER&0002"},
         {"values", {{{"name", "HardwareID"}, {"type", "REG_MULTI_SZ"}, {"data", {"HDAUDIO\\X"}}}}}}}}};
  const TMemIniFile ini = Generate(json::array({controller}), overrides);
  EXPECT_EQ(ini.ReadString("0", "HardwareIDserviceRaw", ""),
            "HDAUDIO\\FUNC_01&VEN_10EC&DEV_0269&SUBSYS_102804AA&REV_1002,"
            "HDAUDIO\\FUNC_01&VEN_10EC&DEV_0269&SUBSYS_102804AA");
  EXPECT_EQ(ini.ReadString("0", "HardwareIDservice", ""), "HDAUDIO\\VEN_10EC&DEV_0269")
      << "a key without the prefix is no child; the reduced form once";
}

TEST_F(DeviceListTest, ClassNamesComeInTheirGroups) {
  auto device = [](const std::string& id, const std::string& cls) {
    return json{{"instance_id", id}, {"class", cls}, {"hardware_ids", {id + "_HW"}}, {"description", id}};
  };
  const json devices = json::array({device("ROOT\\A\\0", "System"), device("ROOT\\B\\0", "Net"),
                                    device("ROOT\\C\\0", "MEDIA"), device("ROOT\\D\\0", "Printer"),
                                    device("ROOT\\E\\0", "Display"), device("ROOT\\F\\0", "Image"),
                                    device("ROOT\\G\\0", "1394"), device("ROOT\\H\\0", "Unknown"),
                                    device("ROOT\\I\\0", "USB"), device("ROOT\\J\\0", "AudioEndpoint"),
                                    device("ROOT\\K\\0", "Net")});
  const TMemIniFile ini = Generate(devices);
  EXPECT_THAT(ini.ReadSection("ClassNames"),
              ElementsAre("AudioEndpoint", "MEDIA", "Printer", "Display", "Image", "1394", "Net",
                          "System", "Unknown", "USB"));
}

TEST_F(DeviceListTest, PlatformErrorsAreRecordedAndTheListGoesOn) {
  const json devices = json::array({NetworkCard("PCI\\VEN_8086&DEV_1502\\A", "Intel Network"),
                                    NetworkCard("PCI\\VEN_10EC&DEV_8168\\B", "Realtek Network")});
  const json faults = {{"faults",
                        {{{"call", "SetupDiGetDeviceRegistryProperty"},
                          {"device", "PCI\\VEN_8086&DEV_1502\\A"},
                          {"property", 2},
                          {"error", 5}},
                         {{"call", "CM_Get_DevNode_Status"}, {"device", "PCI\\VEN_10EC&DEV_8168\\B"}, {"cr", 19}}}}};
  bool completed = false;
  const TMemIniFile ini = Generate(devices, faults, &completed);
  EXPECT_TRUE(completed);
  const std::vector<std::string> errors = ini.ReadSectionValues("Errors");
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_THAT(errors[1], ::testing::MatchesRegex(
                             R"(0 [0-9]+=SetupDiGetDeviceRegistryProperty SPDRP_COMPATIBLEIDS : Access is denied 5)"));
  EXPECT_THAT(errors[2], ::testing::MatchesRegex(R"(1 [0-9]+=CM_Get_DevNode_Status: 19)"));
  EXPECT_EQ(ini.ReadString("0", "HardwareIDcompat", "<absent>"), "");
  EXPECT_EQ(ini.ReadString("1", "IsConnected", ""), "0");
  EXPECT_FALSE(ini.ValueExists("1", "NodeStatus"));
}

TEST_F(DeviceListTest, TheDeviceSetIsTriedTwice) {
  const json devices = json::array({NetworkCard("PCI\\VEN_8086&DEV_1502\\A", "Intel Network")});
  bool completed = false;
  const TMemIniFile once = Generate(devices, {{"faults", {{{"call", "SetupDiGetClassDevs"}, {"error", 8}, {"times", 1}}}}},
                                    &completed);
  EXPECT_TRUE(completed);
  EXPECT_EQ(Count(once, "UniqueDevices"), 1);
  json twice = {{"faults", {{{"call", "SetupDiGetClassDevs"}, {"error", 8}}}}};
  twice["devices"] = devices;
  pc_ = std::make_unique<testing::TempMachine>(twice);
  EXPECT_THROW(GenerateDevicesList("Devices.ini"), std::runtime_error);
}

TEST_F(DeviceListTest, AnEnumerationErrorEndsTheListWithoutClassNames) {
  const json devices = json::array({NetworkCard("PCI\\VEN_8086&DEV_1502\\A", "Intel Network"),
                                    NetworkCard("PCI\\VEN_10EC&DEV_8168\\B", "Realtek Network")});
  bool completed = true;
  const TMemIniFile ini =
      Generate(devices, {{"faults", {{{"call", "SetupDiEnumDeviceInfo"}, {"index", 1}, {"error", 6}}}}},
               &completed);
  EXPECT_FALSE(completed);
  EXPECT_EQ(Count(ini, "UniqueDevices"), 1);
  EXPECT_FALSE(ini.SectionExists("ClassNames"));
  EXPECT_THAT(ini.ReadSectionValues("Errors")[1],
              ::testing::MatchesRegex(R"(1 [0-9]+=SetupDiEnumDeviceInfo \{4D36E972-.*\}: The handle is invalid 6)"));
}

TEST_F(DeviceListTest, WindowsXpHasNoDeviceProperties) {
  json card = NetworkCard("PCI\\VEN_8086&DEV_1502\\A", "Intel Network");
  card["properties"] = {{"bus_reported_description", "ignored"}};
  const json xp = {{"os", {{"major", 5}, {"minor", 1}, {"build", 2600}, {"64bit", false},
                          {"windows_dir", "C:\\WINDOWS"}}}};
  const TMemIniFile ini = Generate(json::array({card}), xp);
  EXPECT_EQ(ini.ReadString("0", "DevBusDesc", "<absent>"), "");
  EXPECT_EQ(ini.ReadString("0", "DevDriverVersion", "<absent>"), "");
  EXPECT_EQ(ini.ReadString("0", "DriverVersion", ""), "11.15.16.0") << "from the class key";
  EXPECT_EQ(ini.ReadString("Settings", "Windows", ""), "5");
}

}  // namespace
}  // namespace tav
