// tavrolin-vpc device: listing, showing, adding, removing and changing the
// devices of a PC, run as a process.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/temp_machine.h"
#include "tests/tools/tool_run.h"

namespace tav::testing {
namespace {

using nlohmann::json;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const char* kNic = "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04\\3&11583659&0&C8";
const char* kStick = "USB\\VID_058F&PID_6387\\5&1f3c7a27&0&2";
const char* kIgd = "PCI\\VEN_8086&DEV_0102&SUBSYS_04AA1028&REV_09\\3&11583659&0&10";

json ThreeDevices() {
  return json::parse(R"json({"devices": [
    {"instance_id": "PCI\\VEN_8086&DEV_1502&SUBSYS_04AA1028&REV_04\\3&11583659&0&C8", "class": "Net",
     "description": "Intel(R) 82579LM Gigabit Network Connection", "hardware_ids": ["PCI\\VEN_8086&DEV_1502"]},
    {"instance_id": "USB\\VID_058F&PID_6387\\5&1f3c7a27&0&2", "class": "USB",
     "description": "USB Mass Storage Device", "friendly_name": "Flash stick",
     "hardware_ids": ["USB\\VID_058F&PID_6387"], "present": false},
    {"instance_id": "PCI\\VEN_8086&DEV_0102&SUBSYS_04AA1028&REV_09\\3&11583659&0&10", "class": "Display",
     "description": "Intel(R) HD Graphics", "hardware_ids": ["PCI\\VEN_8086&DEV_0102"], "problem": 22}]})json");
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

class DeviceCommandTest : public ::testing::Test {
 protected:
  DeviceCommandTest() : pc_(ThreeDevices()) {}

  TempMachine pc_;

  ToolResult Device(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), "device");
    ToolOptions options = OnMachine(pc_.root());
    options.input = input;
    return RunTool(args, options);
  }
};

TEST_F(DeviceCommandTest, ListShowsEachDeviceWithClassStateAndName) {
  const ToolResult list = Device({"list"});
  ASSERT_EQ(list.exit_code, 0) << list.err;
  EXPECT_THAT(
      Lines(list.out),
      ElementsAre(std::string(kNic) +
                      "\tNet\tpresent status=0x0180200A problem=0\tIntel(R) 82579LM Gigabit "
                      "Network Connection",
                  std::string(kStick) + "\tUSB\tabsent\tFlash stick",
                  std::string(kIgd) +
                      "\tDisplay\tpresent status=0x01802400 problem=22\tIntel(R) HD Graphics"));
}

TEST_F(DeviceCommandTest, AShownDeviceCanBeAddedAgainAfterItWasRemoved) {
  const ToolResult shown = Device({"show", kStick});
  ASSERT_EQ(shown.exit_code, 0) << shown.err;
  const json device = json::parse(shown.out);
  EXPECT_EQ(device["instance_id"], kStick);
  EXPECT_EQ(device["friendly_name"], "Flash stick");
  EXPECT_EQ(device["present"], false);

  const ToolResult removed = Device({"remove", kStick});
  ASSERT_EQ(removed.exit_code, 0) << removed.err;
  EXPECT_EQ(removed.out, std::string("Removed ") + kStick + "\n");
  EXPECT_EQ(Device({"show", kStick}).exit_code, 1);
  EXPECT_EQ(Lines(Device({"list"}).out).size(), 2u);

  const ToolResult added = Device({"add", "-"}, shown.out);
  ASSERT_EQ(added.exit_code, 0) << added.err;
  EXPECT_EQ(added.out, "Added 1 device\n");
  EXPECT_EQ(Device({"show", kStick}).out, shown.out);
}

TEST_F(DeviceCommandTest, AListIsAddedWholeOrNotAtAll) {
  TempFolder folder;
  const std::string file = folder.path() + "/devices.json";
  std::ofstream(file) << R"json([
      {"instance_id": "ROOT\\SYSTEM\\0000", "class": "System", "hardware_ids": ["root\\swenum"]},
      {"instance_id": "ROOT\\SYSTEM\\0001", "class": "System", "hardwareids": ["root\\mssmbios"]}])json";
  const ToolResult refused = Device({"add", file});
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_THAT(refused.err, HasSubstr("unknown field \"hardwareids\" (device ROOT\\SYSTEM\\0001)"));
  EXPECT_EQ(Lines(Device({"list"}).out).size(), 3u);

  std::ofstream(file) << R"json([
      {"instance_id": "ROOT\\SYSTEM\\0000", "class": "System", "hardware_ids": ["root\\swenum"]},
      {"instance_id": "ROOT\\SYSTEM\\0001", "class": "System", "hardware_ids": ["root\\mssmbios"]}])json";
  const ToolResult added = Device({"add", file});
  ASSERT_EQ(added.exit_code, 0) << added.err;
  EXPECT_EQ(added.out, "Added 2 devices\n");
  const std::vector<std::string> lines = Lines(Device({"list"}).out);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], "ROOT\\SYSTEM\\0000\tSystem\tpresent status=0x0180200B problem=0\t");
}

TEST_F(DeviceCommandTest, SetChangesTheNodeAndAProblemCodeBringsItsFlags) {
  struct Step {
    std::vector<std::string> options;
    const char* state;
  } steps[] = {
      {{"--problem", "22"}, "present status=0x01802400 problem=22"},
      {{"--problem", "0"}, "present status=0x0180200A problem=0"},
      {{"--problem", "14"}, "present status=0x01802500 problem=14"},
      {{"--problem", "0"}, "present status=0x0180200A problem=0"},
      {{"--status", "0x0180210A"}, "present status=0x0180210A problem=0"},
      {{"--status", "25174026", "--problem", "10"}, "present status=0x0180200A problem=10"},
      {{"--present", "0"}, "absent"},
      {{"--present", "1", "--problem", "0"}, "present status=0x0180200A problem=0"},
  };
  for (const Step& s : steps) {
    std::vector<std::string> args = {"set", kNic};
    args.insert(args.end(), s.options.begin(), s.options.end());
    SCOPED_TRACE(::testing::PrintToString(s.options));
    const ToolResult set = Device(args);
    ASSERT_EQ(set.exit_code, 0) << set.err;
    EXPECT_EQ(set.out, std::string(kNic) + "\t" + s.state + "\n");
    EXPECT_THAT(Lines(Device({"list"}).out)[0], HasSubstr(std::string("\t") + s.state + "\t"));
  }
}

TEST_F(DeviceCommandTest, BadArgumentsAreUsageErrorsAndBadInputFails) {
  struct Case {
    std::vector<std::string> args;
    std::string input;
    int exit_code;
    const char* message;
  } cases[] = {
      {{}, "", 2, "device needs list, show, add, remove or set"},
      {{"frob"}, "", 2, "unknown subcommand \"frob\""},
      {{"list", "x"}, "", 2, "takes no arguments"},
      {{"show"}, "", 2, "takes one instance ID"},
      {{"remove"}, "", 2, "takes one instance ID"},
      {{"add"}, "", 2, "takes one JSON file"},
      {{"set", kNic}, "", 2, "needs --present, --status or --problem"},
      {{"set", kNic, "--present", "2"}, "", 2, "--present takes 0 or 1"},
      {{"set", kNic, "--status", "zz"}, "", 2, "--status takes a number"},
      {{"set", kNic, "--problem"}, "", 2, "--problem needs a value"},
      {{"set", kNic, "--colour", "1"}, "", 2, "unknown option \"--colour\""},
      {{"set", "ROOT\\NONE\\0000", "--problem", "1"}, "", 1, "set: no device ROOT\\NONE\\0000"},
      {{"show", "ROOT\\NONE\\0000"}, "", 1, "show: no device ROOT\\NONE\\0000"},
      {{"remove", "ROOT\\NONE\\0000"}, "", 1, "remove: no device ROOT\\NONE\\0000"},
      {{"add", "/nonexistent/devices.json"}, "", 1, "cannot read /nonexistent/devices.json"},
      {{"add", "-"}, "{ nope", 1, "the input is not valid JSON"},
      {{"add", "-"}, "5", 1, "give a device (a JSON object) or a list of devices"},
      {{"add", "-"}, R"({"instance_id": "X"})", 1, "is not enumerator\\device ID\\instance"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const ToolResult r = Device(c.args, c.input);
    EXPECT_EQ(r.exit_code, c.exit_code);
    EXPECT_THAT(r.err, HasSubstr(c.message));
    EXPECT_THAT(r.out, IsEmpty());
  }
  EXPECT_EQ(Lines(Device({"list"}).out).size(), 3u);
}

}  // namespace
}  // namespace tav::testing
