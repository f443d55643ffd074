// tavrolin-vpc import-host: a profile from the host's PCI and USB devices,
// on this machine's sysfs and on a sysfs tree made for the test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/linux/virtual_pc.h"
#include "tests/support/temp_machine.h"
#include "tests/tools/tool_run.h"

namespace tav::testing {
namespace {

using nlohmann::json;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  std::string value = text.str();
  while (!value.empty() && (value.back() == '\n' || value.back() == ' '))
    value.pop_back();
  return value;
}

unsigned Hex(const fs::path& path) {
  return static_cast<unsigned>(std::stoul(ReadText(path), nullptr, 16));
}

std::string Upper(const char* format, unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::map<std::string, json> ById(const json& profile) {
  std::map<std::string, json> devices;
  for (const json& d : profile["devices"])
    devices[d["instance_id"].get<std::string>()] = d;
  return devices;
}

const json* FindByHardwareId(const json& profile, const std::string& id) {
  for (const json& d : profile["devices"]) {
    if (d.contains("hardware_ids") && d["hardware_ids"][0] == id)
      return &d;
  }
  return nullptr;
}

// The Devices.ini counts of the PC tavrolin-cli ran on, from its output.
std::string CliCount(const std::string& out, const std::string& key) {
  std::stringstream in(out);
  for (std::string line; std::getline(in, line);) {
    std::stringstream words(line);
    std::string name, value;
    words >> name >> value;
    if (name == key)
      return value;
  }
  return "";
}

TEST(ImportHostTest, ThisMachinesPciDevicesBecomeAPcTheProgramScans) {
  const fs::path pci = "/sys/bus/pci/devices";
  if (!fs::is_directory(pci))
    GTEST_SKIP() << "no PCI bus in sysfs";
  TempFolder folder;
  const std::string file = folder.path() + "/host.json";
  const ToolResult made = RunTool({"import-host", "--out", file});
  ASSERT_EQ(made.exit_code, 0) << made.err;
  std::ifstream in(file);
  const json profile = json::parse(in);
  EXPECT_EQ(profile["os"], json::parse(platform::vpc::VirtualPc::DefaultProfile())["os"]);
  size_t functions = 0;
  for (const auto& entry : fs::directory_iterator(pci)) {
    const fs::path f = entry.path();
    ++functions;
    const std::string ven = Upper("%04X", Hex(f / "vendor"));
    const std::string base = "PCI\\VEN_" + ven + "&DEV_" + Upper("%04X", Hex(f / "device"));
    const std::string subsys = "&SUBSYS_" + Upper("%04X", Hex(f / "subsystem_device")) +
                               Upper("%04X", Hex(f / "subsystem_vendor"));
    const std::string rev = "&REV_" + Upper("%02X", Hex(f / "revision"));
    const unsigned cls = Hex(f / "class");
    const std::string cc6 = "CC_" + Upper("%06X", cls), cc4 = "CC_" + Upper("%04X", cls >> 8);
    SCOPED_TRACE(f.filename().string() + " " + base);
    const json* device = FindByHardwareId(profile, base + subsys + rev);
    ASSERT_NE(device, nullptr);
    EXPECT_THAT((*device)["hardware_ids"], ElementsAreArray({base + subsys + rev, base + subsys,
                                                             base + "&" + cc6, base + "&" + cc4}));
    EXPECT_THAT((*device)["compatible_ids"],
                ElementsAreArray({base + rev, base, "PCI\\VEN_" + ven + "&" + cc6,
                                  "PCI\\VEN_" + ven + "&" + cc4, "PCI\\VEN_" + ven, "PCI\\" + cc6,
                                  "PCI\\" + cc4}));
    EXPECT_EQ((*device)["instance_id"].get<std::string>().rfind(base + subsys + rev + "\\", 0), 0u);
  }
  ASSERT_GT(functions, 0u);

  const std::string root = folder.path() + "/pc";
  const ToolResult created = RunTool({"create", root, "--profile", file});
  ASSERT_EQ(created.exit_code, 0) << created.err;
  const ToolResult scanned = RunProgram("tavrolin-cli", {"devices"}, OnMachine(root));
  ASSERT_EQ(scanned.exit_code, 0) << scanned.err;
  EXPECT_EQ(CliCount(scanned.out, "TotalDevices"), std::to_string(profile["devices"].size()));
  EXPECT_EQ(CliCount(scanned.out, "Errors"), "0");
}

// A sysfs tree: files with the given texts, and the bus folders' links.
class FakeSysfs {
 public:
  explicit FakeSysfs(const std::string& root) : root_(root) {}

  void Device(const std::string& bus,
              const std::string& path,
              const std::map<std::string, std::string>& files) {
    const fs::path folder = fs::path(root_) / "devices" / path;
    fs::create_directories(folder);
    for (const auto& [name, text] : files)
      std::ofstream(folder / name) << text << "\n";
    if (bus.empty())
      return;
    const fs::path link_folder = fs::path(root_) / "bus" / bus / "devices";
    fs::create_directories(link_folder);
    fs::create_symlink(folder, link_folder / folder.filename());
  }

 private:
  std::string root_;
};

struct Expected {
  std::string instance_id;
  std::string setup_class;
  std::string description;
  std::vector<std::string> hardware_ids;
  std::vector<std::string> compatible_ids;
};

TEST(ImportHostTest, UsbAndPciDevicesGetWindowsIdsClassesAndNames) {
  TempFolder folder;
  const std::string sys = folder.path() + "/sys";
  FakeSysfs fake(sys);
  const std::string host = "pci0000:00/";
  fake.Device("pci", host + "0000:00:1d.0",
              {{"vendor", "0x8086"},
               {"device", "0x1c26"},
               {"subsystem_vendor", "0x1028"},
               {"subsystem_device", "0x04aa"},
               {"revision", "0x04"},
               {"class", "0x0c0320"}});
  fake.Device("pci", host + "0000:00:1c.0",
              {{"vendor", "0x8086"},
               {"device", "0x1c10"},
               {"subsystem_vendor", "0x0000"},
               {"subsystem_device", "0x0000"},
               {"revision", "0xb4"},
               {"class", "0x060400"}});
  fake.Device("pci", host + "0000:00:1c.0/0000:02:00.0",
              {{"vendor", "0x168c"},
               {"device", "0x002b"},
               {"subsystem_vendor", "0x168c"},
               {"subsystem_device", "0x30a1"},
               {"revision", "0x01"},
               {"class", "0x028000"}});
  fake.Device("pci", host + "0000:00:1f.6",
              {{"vendor", "0x1234"},
               {"device", "0x5678"},
               {"subsystem_vendor", "0x1234"},
               {"subsystem_device", "0x0001"},
               {"revision", "0x00"},
               {"class", "0xff0000"}});
  const std::string ehci = host + "0000:00:1d.0/";
  fake.Device("usb", ehci + "usb1",
              {{"idVendor", "1d6b"},
               {"idProduct", "0002"},
               {"bcdDevice", "0510"},
               {"version", " 2.00"},
               {"bDeviceClass", "09"},
               {"bDeviceSubClass", "00"},
               {"bDeviceProtocol", "00"},
               {"bNumInterfaces", " 1"}});
  fake.Device("usb", ehci + "usb1/1-1",
              {{"idVendor", "8087"},
               {"idProduct", "0024"},
               {"bcdDevice", "0000"},
               {"version", " 2.00"},
               {"bDeviceClass", "09"},
               {"bDeviceSubClass", "00"},
               {"bDeviceProtocol", "01"},
               {"bNumInterfaces", " 1"}});
  fake.Device("usb", ehci + "usb1/1-1/1-1.3",
              {{"idVendor", "046d"},
               {"idProduct", "c52b"},
               {"bcdDevice", "1201"},
               {"version", " 2.00"},
               {"bDeviceClass", "00"},
               {"bDeviceSubClass", "00"},
               {"bDeviceProtocol", "00"},
               {"bNumInterfaces", " 2"},
               {"bNumConfigurations", "1"},
               {"product", "USB Receiver"}});
  for (const char* mi : {"0", "1"}) {
    fake.Device("", ehci + "usb1/1-1/1-1.3/1-1.3:1." + std::string(mi),
                {{"bInterfaceNumber", std::string("0") + mi},
                 {"bInterfaceClass", "03"},
                 {"bInterfaceSubClass", "01"},
                 {"bInterfaceProtocol", mi[0] == '0' ? "01" : "02"}});
  }
  fake.Device("usb", ehci + "usb1/1-1/1-1.4",
              {{"idVendor", "0781"},
               {"idProduct", "5567"},
               {"bcdDevice", "0126"},
               {"version", " 2.00"},
               {"bDeviceClass", "00"},
               {"bDeviceSubClass", "00"},
               {"bDeviceProtocol", "00"},
               {"bNumInterfaces", " 1"},
               {"serial", "4C530001170623115432"},
               {"product", "Cruzer Blade"}});
  fake.Device("", ehci + "usb1/1-1/1-1.4/1-1.4:1.0",
              {{"bInterfaceNumber", "00"},
               {"bInterfaceClass", "08"},
               {"bInterfaceSubClass", "06"},
               {"bInterfaceProtocol", "50"}});
  fake.Device("usb", ehci + "usb1/1-1/1-1.5",
              {{"idVendor", "18d1"},
               {"idProduct", "4ee2"},
               {"bcdDevice", "0228"},
               {"version", " 2.00"},
               {"bDeviceClass", "ff"},
               {"bDeviceSubClass", "42"},
               {"bDeviceProtocol", "01"},
               {"bNumInterfaces", " 1"},
               {"product", "Nexus 4"}});
  const std::string hwdata = folder.path() + "/hwdata";
  fs::create_directories(hwdata);
  std::ofstream(hwdata + "/pci.ids")
      << "# test\n8086  Intel Corporation\n\t1c26  6 Series/C200 Series Chipset Family USB "
         "Enhanced Host Controller #1\n\t\t1028 04aa  OptiPlex 790\n168c  Qualcomm Atheros\n"
         "\t002b  AR9285 Wireless Network Adapter (PCI-Express)\nC 0c  Serial bus controller\n";
  std::ofstream(hwdata + "/usb.ids")
      << "046d  Logitech, Inc.\n\tc52b  Unifying Receiver\n0781  SanDisk Corp.\n"
         "\t5567  Cruzer Blade\nC 03  Human Interface Device\n\t01  Boot Interface Subclass\n"
         "C 08  Mass Storage\nAT 0100  USB Undefined\n";

  const ToolResult made = RunTool({"import-host", "--sysfs", sys, "--hwdata", hwdata});
  ASSERT_EQ(made.exit_code, 0) << made.err;
  const json profile = json::parse(made.out);
  const std::map<std::string, json> devices = ById(profile);

  const std::string ehci_id = "PCI\\VEN_8086&DEV_1C26&SUBSYS_04AA1028&REV_04\\3&";
  std::string ehci_prefix, bridge_prefix, hub_prefix, root_prefix, receiver_prefix;
  for (const auto& [id, d] : devices) {
    if (id.rfind(ehci_id, 0) == 0)
      ehci_prefix = d.value("parent_id_prefix", "");
    if (id.rfind("PCI\\VEN_8086&DEV_1C10", 0) == 0)
      bridge_prefix = d.value("parent_id_prefix", "");
    if (id.rfind("USB\\ROOT_HUB20\\", 0) == 0)
      root_prefix = d.value("parent_id_prefix", "");
    if (id.rfind("USB\\VID_8087&PID_0024\\", 0) == 0)
      hub_prefix = d.value("parent_id_prefix", "");
    if (id.rfind("USB\\VID_046D&PID_C52B\\", 0) == 0)
      receiver_prefix = d.value("parent_id_prefix", "");
  }
  ASSERT_THAT(ehci_prefix, ::testing::MatchesRegex("4&[0-9a-f]+&0"));
  ASSERT_THAT(bridge_prefix, ::testing::MatchesRegex("4&[0-9a-f]+&0"));
  ASSERT_THAT(root_prefix, ::testing::MatchesRegex("5&[0-9a-f]+&0"));
  ASSERT_THAT(hub_prefix, ::testing::MatchesRegex("6&[0-9a-f]+&0"));
  ASSERT_THAT(receiver_prefix, ::testing::MatchesRegex("7&[0-9a-f]+&0"));

  const Expected expected[] = {
      {"PCI\\VEN_168C&DEV_002B&SUBSYS_30A1168C&REV_01\\" + bridge_prefix + "&00E0",
       "Net",
       "AR9285 Wireless Network Adapter (PCI-Express)",
       {"PCI\\VEN_168C&DEV_002B&SUBSYS_30A1168C&REV_01", "PCI\\VEN_168C&DEV_002B&SUBSYS_30A1168C",
        "PCI\\VEN_168C&DEV_002B&CC_028000", "PCI\\VEN_168C&DEV_002B&CC_0280"},
       {"PCI\\VEN_168C&DEV_002B&REV_01", "PCI\\VEN_168C&DEV_002B", "PCI\\VEN_168C&CC_028000",
        "PCI\\VEN_168C&CC_0280", "PCI\\VEN_168C", "PCI\\CC_028000", "PCI\\CC_0280"}},
      {"USB\\ROOT_HUB20\\" + ehci_prefix,
       "USB",
       "USB Root Hub",
       {"USB\\ROOT_HUB20&VID8086&PID1C26&REV0004", "USB\\ROOT_HUB20&VID8086&PID1C26",
        "USB\\ROOT_HUB20"},
       {}},
      {"USB\\VID_8087&PID_0024\\" + root_prefix + "&1",
       "USB",
       "USB Device",
       {"USB\\VID_8087&PID_0024&REV_0000", "USB\\VID_8087&PID_0024"},
       {"USB\\Class_09&SubClass_00&Prot_01", "USB\\Class_09&SubClass_00", "USB\\Class_09"}},
      {"USB\\VID_046D&PID_C52B\\" + hub_prefix + "&3",
       "USB",
       "Unifying Receiver",
       {"USB\\VID_046D&PID_C52B&REV_1201", "USB\\VID_046D&PID_C52B"},
       {"USB\\DevClass_00&SubClass_00&Prot_00", "USB\\DevClass_00&SubClass_00", "USB\\DevClass_00",
        "USB\\COMPOSITE"}},
      {"USB\\VID_046D&PID_C52B&MI_00\\" + receiver_prefix + "&0000",
       "HIDClass",
       "Human Interface Device",
       {"USB\\VID_046D&PID_C52B&REV_1201&MI_00", "USB\\VID_046D&PID_C52B&MI_00"},
       {"USB\\Class_03&SubClass_01&Prot_01", "USB\\Class_03&SubClass_01", "USB\\Class_03"}},
      {"USB\\VID_046D&PID_C52B&MI_01\\" + receiver_prefix + "&0001",
       "HIDClass",
       "Human Interface Device",
       {"USB\\VID_046D&PID_C52B&REV_1201&MI_01", "USB\\VID_046D&PID_C52B&MI_01"},
       {"USB\\Class_03&SubClass_01&Prot_02", "USB\\Class_03&SubClass_01", "USB\\Class_03"}},
      {"USB\\VID_0781&PID_5567\\4C530001170623115432",
       "USB",
       "Cruzer Blade",
       {"USB\\VID_0781&PID_5567&REV_0126", "USB\\VID_0781&PID_5567"},
       {"USB\\Class_08&SubClass_06&Prot_50", "USB\\Class_08&SubClass_06", "USB\\Class_08"}},
      {"USB\\VID_18D1&PID_4EE2\\" + hub_prefix + "&5",
       "Unknown",
       "Nexus 4",
       {"USB\\VID_18D1&PID_4EE2&REV_0228", "USB\\VID_18D1&PID_4EE2"},
       {"USB\\Class_FF&SubClass_42&Prot_01", "USB\\Class_FF&SubClass_42", "USB\\Class_FF"}},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.instance_id);
    const auto it = devices.find(e.instance_id);
    ASSERT_NE(it, devices.end()) << made.out;
    const json& d = it->second;
    EXPECT_EQ(d.value("class", ""), e.setup_class);
    EXPECT_EQ(d.value("description", ""), e.description);
    EXPECT_EQ(d.value("hardware_ids", std::vector<std::string>()), e.hardware_ids);
    EXPECT_EQ(d.value("compatible_ids", std::vector<std::string>()), e.compatible_ids);
  }
  // Windows has no driver for the phone's vendor class nor for an unclassified
  // PCI function: "Other devices", problem 28, named by what the bus reports.
  const json& phone = devices.at("USB\\VID_18D1&PID_4EE2\\" + hub_prefix + "&5");
  EXPECT_EQ(phone["problem"], 28);
  EXPECT_EQ(phone["properties"]["bus_reported_description"], "Nexus 4");
  const json* unclassified =
      FindByHardwareId(profile, "PCI\\VEN_1234&DEV_5678&SUBSYS_00011234&REV_00");
  ASSERT_NE(unclassified, nullptr);
  EXPECT_EQ((*unclassified)["class"], "Unknown");
  EXPECT_EQ((*unclassified)["description"], "PCI Device");
  // The PCI bus and its bridge enumerate the functions behind them.
  EXPECT_EQ(devices.at("ACPI\\PNP0A08\\0")["service"], "pci");

  const std::string root = folder.path() + "/pc";
  std::ofstream(folder.path() + "/fake.json") << made.out;
  const ToolResult created = RunTool({"create", root, "--profile", folder.path() + "/fake.json"});
  ASSERT_EQ(created.exit_code, 0) << created.err;
}

TEST(ImportHostTest, MissingSysfsAndBadArgumentsAreReported) {
  TempFolder folder;
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    const char* message;
  } cases[] = {
      {{"import-host", "--sysfs", folder.path() + "/none"}, 1, "no PCI bus in"},
      {{"import-host", "--out"}, 2, "--out needs a value"},
      {{"import-host", "--colour"}, 2, "unexpected argument \"--colour\""},
      {{"import-host", "--out", "/nonexistent/dir/x.json"},
       1,
       "cannot write /nonexistent/dir/x.json"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const bool needs_sysfs = c.args.size() == 3 && c.args[1] == "--out";
    if (needs_sysfs && !fs::is_directory("/sys/bus/pci"))
      continue;
    const ToolResult r = RunTool(c.args);
    EXPECT_EQ(r.exit_code, c.exit_code);
    EXPECT_THAT(r.err, HasSubstr(c.message));
  }
}

}  // namespace
}  // namespace tav::testing
