// Which stack serves a request: the primary stack first, the secondary one
// after a failure, the primary one given up for the run by its counters,
// the host fallback when a name cannot be resolved.
#include <gtest/gtest.h>

#include "net/service_hosts.h"
#include "net/transport_state.h"
#include "tests/net/transport_fixture.h"

namespace tav::testing {
namespace {

constexpr const char* kPagePath = "/rpc/getlastupdatecxw";
// An empty label fails in the resolver itself: no query leaves the machine.
constexpr const char* kUnresolvable = "service..tavrolin.test";

class StackRoutingTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    content_.AddDatabase("64", "7", "2024-05-01");
  }
  bool Page(const std::string& page_host, std::vector<std::string>* lines) {
    return XInternet::LoadInternetPage(kServiceAgent, page_host, kPagePath, 5000, nullptr, false,
                                       lines);
  }
  std::string Unresolvable() const {
    return std::string(kUnresolvable) + ":" + std::to_string(service_->port());
  }
};

TEST_F(StackRoutingTest, AFailureOnThePrimaryStackIsRetriedOnTheSecondary) {
  Faults({{{"path", kPagePath}, {"status", 500}, {"times", 1}}});
  std::vector<std::string> lines;
  ASSERT_TRUE(Page(host(), &lines)) << LogText();
  EXPECT_EQ(lines, std::vector<std::string>{R"({"date":"2024-05-01"})"});
  EXPECT_TRUE(
      HasLog("ERROR (): XInternet.LoadInternetDataIndy MESS: IdHTTP.Get fail: 0 PARAMS: "
             "EIdHTTPProtocolException: HTTP/1.1 500 Internal Server Error"))
      << LogText();
  EXPECT_TRUE(HasLog(": XInternet.LoadInternetData PARAMS: begin with: " + host() + kPagePath +
                     ", Force=True"));
  EXPECT_EQ(Transport().indy_failure, 1);
  EXPECT_EQ(Transport().wininet_success, 1);
}

// Every primary transfer fails while the secondary one reads the error body
// as a page: after six failures without a success the primary stack is
// given up, and the call that gives it up is not retried.
TEST_F(StackRoutingTest, SixPrimaryFailuresAfterASecondarySuccessGiveThePrimaryStackUp) {
  Faults({{{"path", kPagePath}, {"status", 500}}});
  std::vector<std::string> lines;
  for (int call = 1; call <= 5; ++call) {
    EXPECT_TRUE(Page(host(), &lines)) << "call " << call << "\n" << LogText();
    EXPECT_TRUE(Transport().indy_enabled) << "call " << call;
  }
  EXPECT_FALSE(Page(host(), &lines));
  EXPECT_TRUE(lines.empty());
  EXPECT_FALSE(Transport().indy_enabled);
  EXPECT_TRUE(HasLog(": XInternet.LoadInternetDataIndy PARAMS: Disabling Indy, IndyTimeout"))
      << LogText();
  EXPECT_EQ(CountLog(": XInternet.LoadInternetDataIndy PARAMS: begin with"), 6);

  ASSERT_TRUE(service_->ClearFaults());
  EXPECT_TRUE(Page(host(), &lines));
  EXPECT_EQ(CountLog(": XInternet.LoadInternetDataIndy PARAMS: begin with"), 6);
  EXPECT_EQ(CountLog(", Force=False"), 1) << LogText();
}

TEST_F(StackRoutingTest, NoRetryOnTheSecondaryStackAfterSixOfItsFailures) {
  Transport().wininet_failure = 6;
  Faults({{{"path", kPagePath}, {"status", 500}, {"times", 1}}});
  std::vector<std::string> lines;
  EXPECT_FALSE(Page(host(), &lines));
  EXPECT_FALSE(HasLog(": XInternet.LoadInternetData PARAMS: begin with")) << LogText();
}

TEST_F(StackRoutingTest, AnUnresolvableHostIsTriedUnderItsFallback) {
  SetSetting("HostFallbacks", Unresolvable() + "=" + host());
  LoadServiceHosts();
  std::vector<std::string> lines;
  ASSERT_TRUE(Page(Unresolvable(), &lines)) << LogText();
  EXPECT_EQ(lines, std::vector<std::string>{R"({"date":"2024-05-01"})"});
  EXPECT_TRUE(HasLog("begin with: " + Unresolvable() + kPagePath));
  EXPECT_TRUE(HasLog(": XInternet.LoadInternetDataIndy PARAMS: begin with: " + host() + kPagePath));
  EXPECT_FALSE(HasLog(": XInternet.LoadInternetData PARAMS: begin with"));
}

// The fallback attempt takes the normal course, the secondary stack included.
TEST_F(StackRoutingTest, TheFallbackAttemptIsRetriedOnTheSecondaryStackToo) {
  SetSetting("HostFallbacks", Unresolvable() + "=" + host());
  LoadServiceHosts();
  Faults({{{"path", kPagePath}, {"status", 500}, {"times", 1}}});
  std::vector<std::string> lines;
  ASSERT_TRUE(Page(Unresolvable(), &lines)) << LogText();
  EXPECT_TRUE(HasLog(": XInternet.LoadInternetData PARAMS: begin with: " + host() + kPagePath +
                     ", Force=True"))
      << LogText();
}

TEST_F(StackRoutingTest, AnUnresolvableHostWithoutFallbackFailsOnBothStacks) {
  std::vector<std::string> lines = {"old"};
  EXPECT_FALSE(Page(Unresolvable(), &lines));
  EXPECT_TRUE(lines.empty());
  EXPECT_TRUE(
      HasLog("ERROR (): XInternet.LoadInternetDataIndy MESS: IdHTTP.Get not resolved: 0 "
             "PARAMS: EIdSocketError: Socket Error # 11001"))
      << LogText();
  EXPECT_TRUE(HasLog("HttpSendRequest fail 2: " + Unresolvable() + kPagePath)) << LogText();
  EXPECT_TRUE(HasLog("LAST_ERR (12007")) << LogText();
  EXPECT_EQ(Transport().indy_failure, 0);
  EXPECT_EQ(Transport().wininet_failure, 1);
}

TEST_F(StackRoutingTest, TheSecondaryStackUsesTheFallbackToo) {
  SetSetting("HostFallbacks", Unresolvable() + "=" + host());
  LoadServiceHosts();
  MemoryStream stream;
  ASSERT_TRUE(XInternet::LoadInternetData(kServiceAgent, Unresolvable(), kPagePath, stream, false,
                                          nullptr, true))
      << LogText();
  EXPECT_EQ(stream.data(), R"({"date":"2024-05-01"})");
  EXPECT_TRUE(HasLog(": XInternet.LoadInternetData PARAMS: begin with: " + host() + kPagePath +
                     ", Force=True"));
}

TEST_F(StackRoutingTest, ARangeTheServerRefusesIsNoPrimaryFailure) {
  Faults({{{"path", kPagePath}, {"method", "GET"}, {"status", 416}, {"times", 1}}});
  std::vector<std::string> lines;
  EXPECT_TRUE(Page(host(), &lines)) << LogText();
  EXPECT_TRUE(HasLog("ERROR (): XInternet.LoadInternetDataIndy MESS: IdHTTP.Get wrong range: 0"))
      << LogText();
  EXPECT_EQ(Transport().indy_failure, 0);
}

}  // namespace
}  // namespace tav::testing
