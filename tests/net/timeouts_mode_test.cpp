// The timeouts modes: three timeouts on a stack switch on the request
// timeout for every later request of that stack. The system's own waits are
// shortened to 800 ms here; the request timeout the callers pass is longer,
// so an answer slower than the first but faster than the second fails before
// the switch and succeeds after it.
#include <gtest/gtest.h>

#include "net/transport_state.h"
#include "tests/net/transport_fixture.h"

namespace tav::testing {
namespace {

using nlohmann::json;

constexpr const char* kPagePath = "/rpc/getlastupdatecxw";
constexpr int32_t kRequestTimeoutMs = 4000;
constexpr int kSlowAnswerMs = 1600;

class TimeoutsModeTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    SetSystemTimeouts({2000, 800});
    content_.AddDatabase("64", "7", "2024-05-01");
  }
  // Slow answers for the next `count` requests of the page.
  void SlowAnswers(int count) {
    Faults({{{"path", kPagePath}, {"delay_ms", kSlowAnswerMs}, {"times", count}}});
  }
  bool Page(std::vector<std::string>* lines) {
    return XInternet::LoadInternetPage(kServiceAgent, host(), kPagePath, kRequestTimeoutMs, nullptr,
                                       false, lines);
  }
  bool Forced() {
    Transport().request_timeout_ms = kRequestTimeoutMs;
    MemoryStream stream;
    return XInternet::LoadInternetData(kServiceAgent, host(), kPagePath, stream, false, nullptr,
                                       true);
  }
};

TEST_F(TimeoutsModeTest, ThreePrimaryTimeoutsSwitchOnTheRequestTimeout) {
  std::vector<std::string> lines;
  for (int call = 1; call <= 3; ++call) {
    SlowAnswers(1);  // the primary stack times out, the secondary one is answered at once
    EXPECT_TRUE(Page(&lines)) << "call " << call << "\n" << LogText();
    EXPECT_FALSE(Transport().indy_timeouts_mode) << "call " << call;
  }
  EXPECT_EQ(Transport().indy_timeout, 3);
  EXPECT_EQ(CountLog("ERROR (): XInternet.LoadInternetDataIndy MESS: Timeout: Read timed out."), 3)
      << LogText();
  EXPECT_FALSE(HasLog("Switch to timeouts"));

  SlowAnswers(1);
  EXPECT_TRUE(Page(&lines)) << LogText();
  EXPECT_TRUE(Transport().indy_timeouts_mode);
  EXPECT_EQ(CountLog(": XInternet.LoadInternetDataIndy PARAMS: Switch to timeouts"), 1);
  EXPECT_EQ(CountLog(", Force=True"), 3) << "the slow answer came within the request timeout";
}

TEST_F(TimeoutsModeTest, ThreeSecondaryTimeoutsSwitchOnTheRequestTimeout) {
  for (int call = 1; call <= 3; ++call) {
    SlowAnswers(2);  // the send and its repetition
    EXPECT_FALSE(Forced()) << "call " << call;
  }
  EXPECT_EQ(Transport().wininet_timeout, 3);
  EXPECT_EQ(CountLog(": XInternet.LoadInternetData PARAMS: HttpSendRequest timeout: " + host() +
                     kPagePath),
            3)
      << LogText();
  EXPECT_FALSE(HasLog("Switch to Timeouts"));

  SlowAnswers(1);
  EXPECT_TRUE(Forced()) << LogText();
  EXPECT_TRUE(Transport().wininet_timeouts_mode);
  EXPECT_EQ(CountLog(": XInternet.ConnectToInternet PARAMS: Switch to Timeouts"), 1);
}

TEST_F(TimeoutsModeTest, TheModesStayOnForTheRun) {
  Transport().indy_timeout = 3;
  std::vector<std::string> lines;
  EXPECT_TRUE(Page(&lines));
  Transport().indy_timeout = -5;
  EXPECT_TRUE(Page(&lines));
  EXPECT_TRUE(Transport().indy_timeouts_mode);
  EXPECT_EQ(CountLog("Switch to timeouts"), 1);
}

}  // namespace
}  // namespace tav::testing
