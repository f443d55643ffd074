#include <gtest/gtest.h>

#include "devices/description_text.h"
#include "devices/device_dates.h"
#include "devices/device_state_names.h"
#include "devices/version_text.h"
#include "tests/support/temp_machine.h"

namespace tav {
namespace {

TEST(DeviceTextsTest, VersionNormalization) {
  const std::pair<const char*, const char*> rows[] = {
      {"", ""},
      {"6,01,7600.16385", "6.1.7600.16385"},
      {"6,1,7601,17514", "6.1.7601.17514"},
      {"1.2.", "1.2.0"},
      {"abc", "0"},
      {"9.18.13.4052", "9.18.13.4052"},
      {"007.2 .x", "7.0.0"},
      {"99999999999.1", "0.1"},
  };
  for (const auto& [text, expected] : rows) EXPECT_EQ(NormalizeVersion(text), expected) << text;
  EXPECT_EQ(VersionFrom64(0x1DB14A52u, 0x00060001u), "6.1.7601.19026");
  EXPECT_EQ(VersionFrom64(0, 0), "0.0.0.0");
}

TEST(DeviceTextsTest, DescriptionCleanUp) {
  const std::pair<const char*, const char*> rows[] = {
      {"@oem12.inf,%dev.desc%;Realtek PCIe GBE Family Controller",
       "Realtek PCIe GBE Family Controller"},
      {"Intel(R) 82579LM Gigabit Network Connection", "Intel(R) 82579LM Gigabit Network Connection"},
      {"A/B\\C:D.E<F>G\"H&I%J#K*L[M]N{O}P@Q", "A_B_C D E F G H_I_J K LMNOP_Q"},
      {"  padded  ", "padded"},
      {"first;second;third", "second third"},
  };
  for (const auto& [text, expected] : rows) EXPECT_EQ(CleanDescription(text), expected) << text;
}

TEST(DeviceTextsTest, StateNames) {
  EXPECT_EQ(StatusFlagsText(0x0180200A),
            "DN_DRIVER_LOADED DN_STARTED DN_DISABLEABLE DN_NT_ENUMERATOR DN_NT_DRIVER");
  // The table order, not the bit order: DN_NEED_RESTART leads.
  EXPECT_EQ(StatusFlagsText(0x101), "DN_NEED_RESTART DN_ROOT_ENUMERATED");
  EXPECT_EQ(StatusFlagsText(0x80080000), "DN_NOT_FIRST_TIMEE DN_BOOT_LOG_PROB");
  EXPECT_EQ(StatusFlagsText(0), "");
  EXPECT_EQ(CapabilitiesText(0x84), "CM_DEVCAP_REMOVABLE CM_DEVCAP_SURPRISEREMOVALOK");
  EXPECT_EQ(ProblemText(0), "");
  EXPECT_EQ(ProblemText(1), "CM_PROB_NOT_CONFIGURED");
  EXPECT_EQ(ProblemText(14), "CM_PROB_NEED_RESTART");
  EXPECT_EQ(ProblemText(22), "CM_PROB_DISABLED");
  EXPECT_EQ(ProblemText(28), "CM_PROB_FAILED_INSTALL");
  EXPECT_EQ(ProblemText(49), "CM_PROB_REGISTRY_TOO_LARGE");
  EXPECT_EQ(ProblemText(50), "Unknown");
  EXPECT_EQ(InstallStateText(3), "CM_INSTALL_STATE_FINISH_INSTALL");
  EXPECT_EQ(InstallStateText(0x1F), "unknown 0x0000001F");
}

TEST(DeviceTextsTest, StatusFromTheDeviceNode) {
  struct Row {
    uint32_t flags, problem;
    bool connected, failed, restart;
  };
  const Row rows[] = {
      {0x0180200A, 0, true, false, false},
      {0x01802400, 28, true, true, false},   // failed install
      {0x01802400, 22, false, false, false},  // disabled
      {0x01802500, 14, true, false, true},   // waits for a restart
      {0x00000100, 0, true, false, true},
      {0x00000000, 28, true, false, false},  // a problem code without the flag counts for nothing
  };
  for (const Row& r : rows) {
    const DeviceStatus s = StatusFromNode(r.flags, r.problem);
    EXPECT_EQ(s.connected, r.connected) << std::hex << r.flags << " " << std::dec << r.problem;
    EXPECT_EQ(s.failed, r.failed) << std::hex << r.flags << " " << std::dec << r.problem;
    EXPECT_EQ(s.needs_restart, r.restart) << std::hex << r.flags << " " << std::dec << r.problem;
  }
}

TEST(DeviceTextsTest, DateTexts) {
  testing::TempMachine pc({{"locale", {{"short_date", "dd.MM.yyyy"}, {"date_separator", "."},
                                       {"decimal_separator", ","}}}});
  EXPECT_EQ(DateToText(42004, false), "12-31-2014");
  EXPECT_EQ(DateToText(42004, true), "2014-12-31");
  EXPECT_EQ(DateToText(0, false), "12-30-1899");
  EXPECT_EQ(TextToDate("2014-12-31", true), 42004.0);
  EXPECT_EQ(TextToDate("12-31-2014", true), 0.0);
  EXPECT_EQ(TextToDate("nonsense", false), 0.0);
  EXPECT_EQ(LocalizeDateText("12-31-2014"), "31.12.2014");
  EXPECT_EQ(LocalizeDateText("Unknown"), "Unknown");
  EXPECT_EQ(LocalizeDateText("2014-12-31"), "2014-12-31");
  EXPECT_EQ(RawDateText(42004.5), "42004,5");
  EXPECT_EQ(ParseRawDate("42004,5"), 42004.5);
  EXPECT_EQ(ParseRawDate(""), 0.0);
}

}  // namespace
}  // namespace tav
