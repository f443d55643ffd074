// The environment the PC's programs see, its expansion, and the drive table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/shell_folders.h"
#include "platform/win_errors.h"
#include "tests/platform/scoped_env.h"
#include "tests/support/temp_machine.h"

namespace tav::platform {
namespace {

struct ExpandCase {
  const char* text;
  const char* expanded;
};

TEST(EnvironmentTest, ExpansionReplacesKnownNamesAndLeavesTheRest) {
  testing::TempMachine pc({{"environment", {{"TAVROLIN_CHANNEL", "beta"}}}});
  const ExpandCase cases[] = {
      {"%SystemRoot%\\inf", "C:\\Windows\\inf"},
      {"%systemroot%\\INF", "C:\\Windows\\INF"},
      {"%windir%", "C:\\Windows"},
      {"%ProgramFiles%\\Tavrolin", "C:\\Program Files (x86)\\Tavrolin"},
      {"%ProgramW6432%", "C:\\Program Files"},
      {"%CommonProgramFiles%", "C:\\Program Files (x86)\\Common Files"},
      {"%USERPROFILE%", "C:\\Users\\Alex"},
      {"%APPDATA%", "C:\\Users\\Alex\\AppData\\Roaming"},
      {"%TEMP%", "C:\\Users\\Alex\\AppData\\Local\\Temp"},
      {"%tavrolin_channel%", "beta"},
      {"%NoSuchName%\\x", "%NoSuchName%\\x"},
      {"100%", "100%"},
      {"%%", "%%"},
      {"a%SystemDrive%b%SystemDrive%c", "aC:bC:c"},
      {"no percent", "no percent"},
  };
  for (const ExpandCase& c : cases) {
    EXPECT_EQ(ExpandEnvironmentStrings(c.text), c.expanded) << "text: " << c.text;
  }
}

TEST(EnvironmentTest, ANativeProgramSeesTheNativeProgramFiles) {
  testing::TempMachine pc;
  testing::ScopedEnv native("TAVROLIN_NATIVE_PROCESS", "1");
  EXPECT_EQ(ExpandEnvironmentStrings("%ProgramFiles%"), "C:\\Program Files");
  std::string arch;
  ASSERT_TRUE(GetEnvironmentVariable("PROCESSOR_ARCHITECTURE", &arch));
  EXPECT_EQ(arch, "AMD64");
  EXPECT_FALSE(GetEnvironmentVariable("PROCESSOR_ARCHITEW6432", &arch));
}

TEST(EnvironmentTest, WindowsXpHasItsOwnProfileFolders) {
  testing::TempMachine pc(
      {{"os", {{"major", 5}, {"minor", 1}, {"build", 2600}, {"64bit", false}}}});
  EXPECT_EQ(ExpandEnvironmentStrings("%APPDATA%"),
            "C:\\Documents and Settings\\Alex\\Application Data");
  EXPECT_EQ(ExpandEnvironmentStrings("%LOCALAPPDATA%"), "%LOCALAPPDATA%");
  EXPECT_EQ(ExpandEnvironmentStrings("%ProgramFiles%"), "C:\\Program Files");
}

struct DeviceCase {
  const char* drive;
  const char* device;  // empty: no such device
};

TEST(EnvironmentTest, QueryDosDeviceAnswersForTheBareDrivesOfThePc) {
  testing::TempMachine pc;
  const DeviceCase cases[] = {
      {"C:", "\\Device\\HarddiskVolume2"},
      {"d:", "\\Device\\HarddiskVolume3"},
      {"E:", ""},
      {"C:\\", ""},
      {"C", ""},
      {"", ""},
  };
  for (const DeviceCase& c : cases) {
    std::string device;
    int32_t error = 0;
    const bool found = QueryDosDevice(c.drive, &device, &error);
    EXPECT_EQ(found, *c.device != '\0') << "drive: " << c.drive;
    if (found) {
      EXPECT_EQ(device, c.device) << "drive: " << c.drive;
    } else {
      EXPECT_EQ(error, win_error::kFileNotFound) << "drive: " << c.drive;
    }
  }
  EXPECT_EQ(GetLogicalDrives(), (std::vector<std::string>{"C:\\", "D:\\"}));
}

}  // namespace
}  // namespace tav::platform
