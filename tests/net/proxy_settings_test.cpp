// The configured proxy (settings UseProxy, ProxyAddress, ProxyPort,
// ProxyLogin, ProxyPassword) on both stacks, with the service standing in
// for a proxy that wants a login.
#include <gtest/gtest.h>

#include "net/proxy_settings.h"
#include "net/transport_state.h"
#include "tests/net/transport_fixture.h"

namespace tav::testing {
namespace {

constexpr const char* kPagePath = "/rpc/getlastupdatecxw";

class ProxySettingsTest : public TransportTest {
 protected:
  std::vector<std::string> ServiceArgs() const override { return {"--proxy-login", "tav:secret"}; }
  void SetUp() override {
    TransportTest::SetUp();
    content_.AddDatabase("64", "7", "2024-05-01");
    SetBoolSetting("UseProxy", true);
    SetSetting("ProxyAddress", "127.0.0.1");
    SetSetting("ProxyPort", std::to_string(service_->port()));
    SetSetting("ProxyLogin", "tav");
    SetSetting("ProxyPassword", "secret");
  }
  std::vector<AccessLine> Proxied(size_t count) {
    return AccessFor(service_->url(kPagePath), count);
  }
};

TEST_F(ProxySettingsTest, ReadsTheFiveValues) {
  const ProxySettings proxy = ReadProxySettings();
  EXPECT_TRUE(proxy.use_proxy);
  EXPECT_EQ(proxy.address, "127.0.0.1");
  EXPECT_EQ(proxy.port, std::to_string(service_->port()));
  EXPECT_EQ(proxy.login, "tav");
  EXPECT_EQ(proxy.password, "secret");
}

TEST_F(ProxySettingsTest, ThePrimaryStackGoesThroughTheProxy) {
  std::vector<std::string> lines;
  ASSERT_TRUE(
      XInternet::LoadInternetPage(kServiceAgent, host(), kPagePath, 5000, nullptr, false, &lines))
      << LogText();
  EXPECT_EQ(lines, std::vector<std::string>{R"({"date":"2024-05-01"})"});
  const std::vector<AccessLine> proxied = Proxied(1);
  ASSERT_EQ(proxied.size(), 1u);
  EXPECT_EQ(proxied[0].status, 200);
  EXPECT_TRUE(service_->AccessFor(kPagePath).empty());
}

TEST_F(ProxySettingsTest, TheSecondaryStackGoesThroughTheProxy) {
  MemoryStream stream;
  ASSERT_TRUE(
      XInternet::LoadInternetData(kServiceAgent, host(), kPagePath, stream, false, nullptr, true))
      << LogText();
  EXPECT_EQ(stream.data(), R"({"date":"2024-05-01"})");
  ASSERT_EQ(Proxied(1).size(), 1u);
  EXPECT_EQ(Proxied(1)[0].status, 200);
}

TEST_F(ProxySettingsTest, A407OfTheConfiguredProxyIsLoggedAndNotRetried) {
  SetSetting("ProxyPassword", "wrong");
  std::vector<std::string> lines;
  EXPECT_TRUE(
      XInternet::LoadInternetPage(kServiceAgent, host(), kPagePath, 5000, nullptr, false, &lines));
  EXPECT_EQ(lines,
            std::vector<std::string>{"<html><body>Proxy Authentication Required</body></html>"});
  EXPECT_TRUE(HasLog("EIdHTTPProtocolException: HTTP/1.1 407 Proxy Authentication Required"))
      << LogText();
  EXPECT_TRUE(
      HasLog("ERROR (): XInternet.LoadInternetData MESS: Status code fail 407 Proxy "
             "Authentication Required: " +
             host() + kPagePath + ": 407"))
      << LogText();
  EXPECT_FALSE(HasLog("407: disabling preconfig"));
  EXPECT_TRUE(Transport().preconfigured_proxy_allowed);
  EXPECT_EQ(Proxied(2).size(), 2u);
}

TEST_F(ProxySettingsTest, WithoutUseProxyTheValuesAreIgnored) {
  SetBoolSetting("UseProxy", false);
  std::vector<std::string> lines;
  ASSERT_TRUE(
      XInternet::LoadInternetPage(kServiceAgent, host(), kPagePath, 5000, nullptr, false, &lines));
  EXPECT_EQ(AccessFor(kPagePath, 1).size(), 1u);
  EXPECT_TRUE(service_->AccessFor(service_->url(kPagePath)).empty());
}

}  // namespace
}  // namespace tav::testing
