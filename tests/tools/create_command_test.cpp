// tavrolin-vpc create and the tool's own arguments.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/temp_machine.h"
#include "tests/tools/tool_run.h"

namespace tav::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = std::filesystem;

std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

TEST(CreateCommandTest, MakesAWorkingPcFromTheBundledProfile) {
  TempFolder folder;
  const std::string root = folder.path() + "/pc";
  const ToolResult made = RunTool({"create", root});
  ASSERT_EQ(made.exit_code, 0) << made.err;
  EXPECT_TRUE(fs::exists(root + "/machine.json"));
  EXPECT_EQ(FirstLine(root + "/drives/C/Windows/System32/reg.exe"), "#!tavrolin-vpc builtin reg");
  EXPECT_EQ(FirstLine(root + "/drives/C/Windows/SysWOW64/schtasks.exe"),
            "#!tavrolin-vpc builtin schtasks");
  EXPECT_EQ(FirstLine(root + "/drives/C/Windows/regedit.exe"), "#!tavrolin-vpc builtin regedit");

  const ToolResult query =
      RunTool({"--machine", root, "reg", "query",
               "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "/v", "ProductName"});
  EXPECT_EQ(query.exit_code, 0) << query.err;
  EXPECT_THAT(query.out, HasSubstr("ProductName    REG_SZ    Windows 7 Professional"));
}

TEST(CreateCommandTest, TakesAProfileFile) {
  TempFolder folder;
  const std::string profile = folder.path() + "/xp.json";
  std::ofstream(profile) << R"({"os": {"name": "Windows XP Professional", "major": 5, "minor": 1,
                                "build": 2600, "64bit": false, "computer_name": "LAB-XP"}})";
  const std::string root = folder.path() + "/pc";
  const ToolResult made = RunTool({"create", root, "--profile", profile});
  ASSERT_EQ(made.exit_code, 0) << made.err;
  EXPECT_FALSE(fs::exists(root + "/drives/C/Windows/SysWOW64"));
  EXPECT_TRUE(fs::exists(root + "/drives/C/Documents and Settings"));
  const ToolResult query =
      RunTool({"--machine", root, "reg", "query",
               "HKLM\\SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", "/v",
               "ComputerName"});
  EXPECT_THAT(query.out, HasSubstr("REG_SZ    LAB-XP"));
}

TEST(CreateCommandTest, RefusesAFolderThatIsNotEmpty) {
  TempFolder folder;
  std::ofstream(folder.path() + "/keep.txt") << "mine";
  const ToolResult made = RunTool({"create", folder.path()});
  EXPECT_EQ(made.exit_code, 1);
  EXPECT_THAT(made.err, HasSubstr("not empty"));
  EXPECT_FALSE(fs::exists(folder.path() + "/machine.json"));
}

TEST(CreateCommandTest, RefusesABadProfileAndLeavesNoPcBehind) {
  const char* profiles[] = {"{ not json", R"({"os": {"uptime_seconds": "long"}})",
                            R"({"drives": [{"letter": "CD"}]})"};
  for (const char* text : profiles) {
    SCOPED_TRACE(text);
    TempFolder folder;
    std::ofstream(folder.path() + "/bad.json") << text;
    const std::string root = folder.path() + "/pc";
    const ToolResult made = RunTool({"create", root, "--profile", folder.path() + "/bad.json"});
    EXPECT_EQ(made.exit_code, 1);
    EXPECT_THAT(made.err, StartsWith("tavrolin-vpc: cannot create a virtual PC"));
    EXPECT_FALSE(fs::exists(root));
  }
  TempFolder folder;
  const ToolResult missing = RunTool({"create", folder.path() + "/pc", "--profile", "/no/such"});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_THAT(missing.err, HasSubstr("cannot read the profile"));
}

struct UsageCase {
  std::vector<std::string> args;
  int exit_code;
};

TEST(ToolUsageTest, BadArgumentsShowTheUsageAndExitWithTwo) {
  const UsageCase cases[] = {
      {{}, 2},
      {{"frobnicate"}, 2},
      {{"create"}, 2},
      {{"create", "a", "b"}, 2},
      {{"--machine"}, 2},
      {{"--verbose", "reg"}, 2},
      {{"path"}, 2},
      {{"builtin"}, 2},
      {{"builtin", "notepad"}, 2},
  };
  TempMachine pc;
  for (const UsageCase& c : cases) {
    std::string line;
    for (const std::string& a : c.args)
      line += a + " ";
    SCOPED_TRACE("args: " + line);
    std::vector<std::string> args = c.args;
    if (!args.empty() && (args[0] == "path" || args[0] == "builtin")) {
      args.insert(args.begin(), {"--machine", pc.root()});
    }
    const ToolResult r = RunTool(args);
    EXPECT_EQ(r.exit_code, c.exit_code);
    EXPECT_THAT(r.err, HasSubstr("usage: tavrolin-vpc"));
  }
  const ToolResult help = RunTool({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_THAT(help.out, StartsWith("usage: tavrolin-vpc"));
}

TEST(ToolUsageTest, AMachineFolderThatIsNoPcIsReportedPlainly) {
  TempFolder folder;
  const ToolResult r = RunTool({"--machine", folder.path(), "reg", "query", "HKCU"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_THAT(r.err, HasSubstr("not a virtual PC"));
  const ToolResult by_env = RunTool({"reg", "query", "HKCU"}, OnMachine(folder.path()));
  EXPECT_EQ(by_env.exit_code, 1);
  EXPECT_THAT(by_env.err, HasSubstr("not a virtual PC"));
}

}  // namespace
}  // namespace tav::testing
