// tavrolin-vpc path: Windows paths of the PC to host paths and back. The
// tool is a native program: it sees System32 unredirected.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/temp_machine.h"
#include "tests/tools/tool_run.h"

namespace tav::testing {
namespace {

using ::testing::HasSubstr;

TEST(PathCommandTest, MapsBothWays) {
  TempMachine pc;
  const std::string drives = pc.root() + "/drives";
  struct Case {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"path", "C:\\WINDOWS\\system32\\REG.EXE"}, drives + "/C/Windows/System32/reg.exe\n"},
      {{"path", "c:/users/alex/appdata"}, drives + "/C/Users/Alex/AppData\n"},
      {{"path", "D:\\new\\file.txt"}, drives + "/D/new/file.txt\n"},
      {{"path", "%APPDATA%\\Tavrolin\\program.log"},
       drives + "/C/Users/Alex/AppData/Roaming/Tavrolin/program.log\n"},
      {{"path", "%SystemRoot%\\inf"}, drives + "/C/Windows/inf\n"},
      {{"path", "--windows", drives + "/C/Program Files (x86)"}, "C:\\Program Files (x86)\n"},
      {{"path", "--windows", drives + "/C/Windows/../Users"}, "C:\\Users\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    std::vector<std::string> args = {"--machine", pc.root()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolResult r = RunTool(args);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, c.out);
  }
}

TEST(PathCommandTest, APathOutsideThePcIsAnError) {
  TempMachine pc;
  const ToolResult no_drive = RunTool({"--machine", pc.root(), "path", "Q:\\x"});
  EXPECT_EQ(no_drive.exit_code, 1);
  EXPECT_THAT(no_drive.err, HasSubstr("Q:\\x"));
  const ToolResult outside = RunTool({"--machine", pc.root(), "path", "--windows", "/etc/hosts"});
  EXPECT_EQ(outside.exit_code, 1);
  EXPECT_EQ(outside.out, "");
}

}  // namespace
}  // namespace tav::testing
