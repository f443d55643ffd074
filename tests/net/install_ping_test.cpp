// The install ping against tavrolin-service on 127.0.0.1: which identifier
// it carries, and when it is not sent.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "core/settings.h"
#include "core/settings_access.h"
#include "net/install_ping.h"
#include "platform/clock.h"
#include "tests/net/report_fixture.h"

namespace tav::testing {
namespace {

class InstallPingTest : public ReportTest {
 protected:
  nlohmann::json Profile() const override { return {{"network", {{"online", online_}}}}; }

  bool InstallStat() const { return RegReadBool(kSettingsRoot, kSettingsKey, "InstallStat"); }
  // The ping is synchronous, but the service logs a request only after it
  // has answered: give a request that should not exist a moment to show.
  bool NoPingArrived() {
    platform::Sleep(200);
    return service_->AccessFor("/rpc/sendinstall").empty() && Installs().empty();
  }

  bool online_ = true;
};

struct IdentifierCase {
  const char* name;
  std::optional<const char*> ads_name;  // nullopt: the value is absent
  const char* build_id;
  const char* upgrade_id;
  const char* partner;
};

// The row's name in place of its bytes when a case fails.
void PrintTo(const IdentifierCase& c, std::ostream* os) {
  *os << c.name;
}

const IdentifierCase kIdentifierCases[] = {
    {"PartnerName", "Partner7", "B1", "U1", "Partner7"},
    {"EmptyPartnerNameFallsToBuild", "", "B1", "U1", "B1"},
    {"EmptyBuildFallsToUpgrade", "", "", "U1", "U1"},
    {"NothingSetSendsUnknown", "", "", "", "Unknown"},
    {"AbsentPartnerNameIsTheProductDefault", std::nullopt, "B1", "", "Tavrolin"},
    // Only what cannot stand in a request line is encoded.
    {"APartnerNameWithASpaceStillArrives", "My Partner", "", "", "My Partner"},
};

class IdentifierTest : public InstallPingTest,
                       public ::testing::WithParamInterface<IdentifierCase> {};

TEST_P(IdentifierTest, ThePingCarriesTheFirstIdentifierSet) {
  const IdentifierCase& c = GetParam();
  if (c.ads_name)
    SetSetting("AdsName", *c.ads_name);
  SetSetting("BuildID", c.build_id);
  SetSetting("UpgradeID", c.upgrade_id);
  LoadProductValues();
  SendInstallStat();

  EXPECT_EQ(Installs(),
            std::vector<std::string>{std::string("partner=") + c.partner + "\tbuild=4.0"});
  const std::vector<AccessLine> access = AccessFor("/rpc/sendinstall", 1);
  ASSERT_EQ(access.size(), 1u);
  EXPECT_EQ(access[0].method, "GET");
  EXPECT_EQ(access[0].agent, "Mozilla/3.0 (compatible; Indy Library)");
  EXPECT_TRUE(InstallStat());
}

INSTANTIATE_TEST_SUITE_P(Identifiers,
                         IdentifierTest,
                         ::testing::ValuesIn(kIdentifierCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallPingTest, ASentPingIsNeverSentAgain) {
  SetBoolSetting("InstallStat", true);
  SendInstallStat();
  EXPECT_TRUE(NoPingArrived());
  EXPECT_TRUE(InstallStat());
}

// An error answer, or a redirect (not followed), leaves the ping for the
// next start.
class UnsuccessfulAnswerTest : public InstallPingTest, public ::testing::WithParamInterface<int> {};

TEST_P(UnsuccessfulAnswerTest, LeavesThePingForTheNextStart) {
  Faults({{{"path", "/rpc/sendinstall"}, {"status", GetParam()}}});
  SendInstallStat();
  EXPECT_EQ(AccessFor("/rpc/sendinstall", 1).size(), 1u);
  EXPECT_FALSE(InstallStat());
  SendInstallStat();
  EXPECT_EQ(AccessFor("/rpc/sendinstall", 2).size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Statuses, UnsuccessfulAnswerTest, ::testing::Values(500, 302));

TEST_F(InstallPingTest, NobodyListeningLeavesThePingForTheNextStart) {
  SetHosts(kClosedHost, kClosedHost);
  const size_t lines_before = Log().size();
  SendInstallStat();
  EXPECT_FALSE(InstallStat());
  EXPECT_EQ(Log().size(), lines_before) << LogText();
}

class OfflinePingTest : public InstallPingTest {
 protected:
  OfflinePingTest() { online_ = false; }
};

TEST_F(OfflinePingTest, AnOfflineStartSendsNothingAndKeepsTheFlag) {
  SendInstallStat();
  EXPECT_TRUE(NoPingArrived());
  EXPECT_FALSE(InstallStat());
}

}  // namespace
}  // namespace tav::testing
