// The PC's schtasks.exe: creating, listing and removing scheduled tasks,
// with schtasks' answers and exit codes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_machine.h"
#include "tests/tools/tool_run.h"

namespace tav::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

class SchtasksTest : public ::testing::Test {
 protected:
  TempMachine pc_;
  ToolResult Schtasks(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {"--machine", pc_.root(), "builtin", "schtasks"});
    return RunTool(args, WithInput(input));
  }
  void CreateLogonTask(const std::string& name, const std::string& command) {
    const ToolResult r = Schtasks({"/Create", "/TN", name, "/TR", command, "/SC", "ONLOGON", "/F"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
  }
};

TEST_F(SchtasksTest, ATaskIsCreatedListedAndDeleted) {
  const ToolResult created = Schtasks(
      {"/Create", "/TN", "Tavrolin Logon", "/TR", "C:\\Tavrolin.exe /logon", "/SC", "onlogon"});
  EXPECT_EQ(created.exit_code, 0) << created.err;
  EXPECT_EQ(created.out,
            "SUCCESS: The scheduled task \"Tavrolin Logon\" has successfully been created.\n");

  const ToolResult table = Schtasks({"/Query"});
  EXPECT_EQ(table.exit_code, 0);
  EXPECT_EQ(table.out,
            "\n"
            "Folder: \\\n"
            "TaskName                                 Next Run Time          Status         \n"
            "======================================== ====================== ===============\n"
            "Tavrolin Logon                           N/A                    Ready          \n");
  const ToolResult csv = Schtasks({"/Query", "/FO", "CSV", "/TN", "tavrolin logon"});
  EXPECT_EQ(csv.out,
            "\"TaskName\",\"Next Run Time\",\"Status\"\n"
            "\"\\Tavrolin Logon\",\"N/A\",\"Ready\"\n");
  const ToolResult list = Schtasks({"/Query", "/FO", "LIST", "/V"});
  EXPECT_THAT(list.out, HasSubstr("Task To Run:          C:\\Tavrolin.exe /logon\n"));
  EXPECT_THAT(list.out, HasSubstr("Schedule Type:        At logon time\n"));

  const ToolResult deleted = Schtasks({"/Delete", "/TN", "TAVROLIN LOGON", "/F"});
  EXPECT_EQ(deleted.exit_code, 0);
  EXPECT_EQ(deleted.out,
            "SUCCESS: The scheduled task \"TAVROLIN LOGON\" was successfully deleted.\n");
  const ToolResult none = Schtasks({"/Query"});
  EXPECT_EQ(none.exit_code, 0);
  EXPECT_EQ(none.out,
            "INFO: There are no scheduled tasks presently available at your access level.\n");
}

TEST_F(SchtasksTest, ADailyTaskRunsNextAtItsStartTime) {
  const ToolResult created = Schtasks({"/Create", "/TN", "\\Tavrolin\\Nightly", "/TR", "C:\\x.exe",
                                       "/SC", "DAILY", "/ST", "03:00"});
  ASSERT_EQ(created.exit_code, 0) << created.err;
  const ToolResult csv = Schtasks({"/Query", "/FO", "CSV", "/NH"});
  EXPECT_THAT(csv.out, HasSubstr("\"\\Tavrolin\\Nightly\",\""));
  EXPECT_THAT(csv.out, HasSubstr(" 3:00:00 AM\",\"Ready\"\n"));
  const ToolResult table = Schtasks({"/Query"});
  EXPECT_THAT(table.out, HasSubstr("Folder: \\Tavrolin\n"));
  EXPECT_THAT(table.out, HasSubstr("\nNightly    "));
}

struct RefusedCase {
  std::vector<std::string> args;
  std::string error;
};

TEST_F(SchtasksTest, CreateRefusesWhatSchtasksRefuses) {
  const RefusedCase cases[] = {
      {{"/TR", "x.exe", "/SC", "ONLOGON"}, "Mandatory option 'tn' is missing"},
      {{"/TN", "T", "/SC", "ONLOGON"}, "Mandatory option 'tr' is missing"},
      {{"/TN", "T", "/TR", "x.exe"}, "Mandatory option 'sc' is missing"},
      {{"/TN", "T", "/TR", "x.exe", "/SC", "SOMETIMES"}, "Invalid value for /SC option"},
      {{"/TN", "T", "/TR", "x.exe", "/SC", "DAILY", "/ST", "25:00"}, "Invalid Start Time"},
      {{"/TN", "T", "/TR", "x.exe", "/SC", "DAILY", "/ST", "3pm"}, "Invalid Start Time"},
      {{"/TN", "T", "/TR", "x.exe", "/SC", "ONCE"}, "/ST is mandatory"},
      {{"/TN", "T", "/TR", "x.exe", "/SC", "ONLOGON", "/ST", "10:00"}, "/ST is not allowed"},
      {{"/TN", "T", "/TR", "x.exe", "/SC", "ONLOGON", "/RL", "MAX"}, "Invalid value for /RL"},
      {{"/TN", "T", "/TR", "x.exe", "/SC", "ONLOGON", "/Z"}, "Invalid argument/option - '/Z'"},
      {{"/TN", "T", "/TN", "U", "/TR", "x.exe", "/SC", "ONLOGON"}, "Invalid argument/option"},
      {{"/TN", "Bad:Name", "/TR", "x.exe", "/SC", "ONLOGON"}, "syntax is incorrect"},
      {{"/TN", "Bad*", "/TR", "x.exe", "/SC", "ONLOGON"}, "syntax is incorrect"},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.error);
    std::vector<std::string> args = {"/Create"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolResult r = Schtasks(args);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_THAT(r.err, StartsWith("ERROR: "));
    EXPECT_THAT(r.err, HasSubstr(c.error));
  }
  EXPECT_THAT(Schtasks({"/Query"}).out, HasSubstr("no scheduled tasks"));
}

TEST_F(SchtasksTest, AnExistingTaskIsReplacedOnlyWithF) {
  CreateLogonTask("Tavrolin", "C:\\old.exe");
  const ToolResult again =
      Schtasks({"/Create", "/TN", "TAVROLIN", "/TR", "C:\\new.exe", "/SC", "ONLOGON"});
  EXPECT_EQ(again.exit_code, 1);
  EXPECT_THAT(again.err, HasSubstr("already exists"));
  EXPECT_THAT(Schtasks({"/Query", "/FO", "LIST", "/V"}).out, HasSubstr("C:\\old.exe"));

  CreateLogonTask("TAVROLIN", "C:\\new.exe");
  const ToolResult list = Schtasks({"/Query", "/FO", "LIST", "/V"});
  EXPECT_THAT(list.out, HasSubstr("TaskName:             \\TAVROLIN\n"));
  EXPECT_THAT(list.out, HasSubstr("C:\\new.exe"));
  EXPECT_THAT(list.out, Not(HasSubstr("C:\\old.exe")));
}

TEST_F(SchtasksTest, DeleteAsksUnlessForcedAndKnowsMissingTasks) {
  CreateLogonTask("One", "C:\\1.exe");
  CreateLogonTask("Two", "C:\\2.exe");
  const ToolResult unanswered = Schtasks({"/Delete", "/TN", "One"});
  EXPECT_EQ(unanswered.exit_code, 0);
  EXPECT_THAT(unanswered.out, HasSubstr("Are you sure you want to remove the task \"One\""));
  EXPECT_EQ(Schtasks({"/Query", "/TN", "One"}).exit_code, 0);
  EXPECT_EQ(Schtasks({"/Delete", "/TN", "One"}, "Y\n").exit_code, 0);
  EXPECT_EQ(Schtasks({"/Query", "/TN", "One"}).exit_code, 1);

  const ToolResult missing = Schtasks({"/Delete", "/TN", "Nope", "/F"});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.err, "ERROR: The system cannot find the file specified.\n");
  EXPECT_EQ(Schtasks({"/Delete", "/TN", "*", "/F"}).exit_code, 0);
  EXPECT_EQ(Schtasks({"/Query", "/TN", "Two"}).exit_code, 1);
}

TEST(SchtasksRightsTest, OnlyAnAdministratorMakesATaskWithTheHighestRights) {
  TempMachine pc({{"os", {{"admin", false}}}});
  auto run = [&](const std::string& level) {
    return RunTool({"--machine", pc.root(), "builtin", "schtasks", "/Create", "/TN", "T", "/TR",
                    "x.exe", "/SC", "ONLOGON", "/RL", level});
  };
  const ToolResult highest = run("HIGHEST");
  EXPECT_EQ(highest.exit_code, 1);
  EXPECT_EQ(highest.err, "ERROR: Access is denied.\n");
  EXPECT_EQ(run("LIMITED").exit_code, 0);
}

TEST_F(SchtasksTest, UnknownOperationsAndHelp) {
  const ToolResult unknown = Schtasks({"/Run", "/TN", "x"});
  EXPECT_EQ(unknown.exit_code, 1);
  EXPECT_THAT(unknown.err, HasSubstr("Invalid argument/option - '/Run'"));
  const ToolResult help = Schtasks({"/?"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_THAT(help.out, HasSubstr("SCHTASKS /Create"));
}

}  // namespace
}  // namespace tav::testing
