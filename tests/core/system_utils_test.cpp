#include "core/system_utils.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/linux/virtual_pc.h"
#include "platform/privileges.h"
#include "platform/win_errors.h"
#include "tests/core/program_machine.h"

namespace tav {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::vector<std::string> PrivilegeLines() {
  std::vector<std::string> lines;
  for (const std::string& line : testing::ProgramMachine::LogLines()) {
    if (line.find("XSettings.GetDebugPrivilege") != std::string::npos)
      lines.push_back(line);
  }
  return lines;
}

// What the token says when the privilege is enabled once more: nothing
// changes either way; kSuccess means the token holds it.
int32_t EnableAgain(const char* name) {
  int64_t luid = 0;
  EXPECT_TRUE(platform::LookupPrivilege(name, &luid));
  uint32_t changed = 0;
  int32_t error = -1;
  EXPECT_TRUE(platform::EnablePrivilege(luid, &changed, &error));
  EXPECT_EQ(changed, 0u) << name;
  return error;
}

TEST(DebugPrivilegeTest, AnAdministratorGetsAllThree) {
  testing::ProgramMachine machine;
  XSettings::GetDebugPrivilege();
  for (const char* name :
       {"SeDebugPrivilege", "SeIncreaseQuotaPrivilege", "SeImpersonatePrivilege"}) {
    EXPECT_EQ(EnableAgain(name), win_error::kSuccess) << name;
  }
  for (const std::string& line : PrivilegeLines()) {
    EXPECT_THAT(line, ::testing::Not(HasSubstr("LookupPrivilegeValue")));
    EXPECT_THAT(line, ::testing::Not(HasSubstr(".1 fail")));
  }
  // Asked again, no state changes: the call reports an empty previous state.
  const size_t before = PrivilegeLines().size();
  XSettings::GetDebugPrivilege();
  const std::vector<std::string> lines = PrivilegeLines();
  EXPECT_THAT(
      std::vector<std::string>(lines.begin() + static_cast<long>(before), lines.end()),
      ElementsAre("ERROR (): XSettings.GetDebugPrivilege MESS: AdjustTokenPrivileges 1.2 fail",
                  "ERROR (): XSettings.GetDebugPrivilege MESS: AdjustTokenPrivileges 2.2 fail",
                  "ERROR (): XSettings.GetDebugPrivilege MESS: AdjustTokenPrivileges 3.2 fail"));
}

TEST(DebugPrivilegeTest, AnOrdinaryUserGetsNoneAndEachIsLogged) {
  testing::ProgramMachine machine({{"os", {{"admin", false}}}});
  XSettings::GetDebugPrivilege();
  const std::string not_assigned =
      " LAST_ERR (1300, 00000514): Not all privileges or groups "
      "referenced are assigned to the caller";
  EXPECT_THAT(
      PrivilegeLines(),
      ElementsAre("ERROR (): XSettings.GetDebugPrivilege MESS: AdjustTokenPrivileges 1.2 fail" +
                      not_assigned,
                  "ERROR (): XSettings.GetDebugPrivilege MESS: AdjustTokenPrivileges 2.2 fail" +
                      not_assigned,
                  "ERROR (): XSettings.GetDebugPrivilege MESS: AdjustTokenPrivileges 3.2 fail" +
                      not_assigned));
  EXPECT_EQ(EnableAgain("SeDebugPrivilege"), win_error::kNotAllAssigned);
}

// IsAdmin keeps its first answer for the life of the process: each case asks
// in a process of its own, which exits with 0 for an administrator.
class IsAdminTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  // The machine is gone before the child exits, so its folder is removed.
  static int AnswerOn(bool admin) {
    testing::ProgramMachine machine({{"os", {{"admin", admin}}}});
    return XSettings::IsAdmin() ? 0 : 1;
  }
};

TEST_F(IsAdminTest, AdministratorMayWriteTheSoftwareKey) {
  EXPECT_EXIT(std::_Exit(AnswerOn(true)), ::testing::ExitedWithCode(0), "");
}

TEST_F(IsAdminTest, OrdinaryUserMayNot) {
  EXPECT_EXIT(std::_Exit(AnswerOn(false)), ::testing::ExitedWithCode(1), "");
}

TEST(RebootSystemTest, RequestsTheRebootWithTheShutdownPrivilege) {
  testing::ProgramMachine machine({{"os", {{"admin", false}}}});
  ASSERT_EQ(platform::vpc::VirtualPc::Current().State("reboot_requested"), "");
  EXPECT_TRUE(RebootSystem());
  EXPECT_EQ(platform::vpc::VirtualPc::Current().State("reboot_requested"), "1");
  EXPECT_EQ(testing::ProgramMachine::CountLines("RebootSystem"), 0u);
}

}  // namespace
}  // namespace tav
