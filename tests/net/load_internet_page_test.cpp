// XInternet::LoadInternetPage and LoadInternetPageByUrl: text answers split
// into lines, the list cleared on failure, the address split.
#include <gtest/gtest.h>

#include "tests/net/transport_fixture.h"

namespace tav::testing {
namespace {

class LoadInternetPageTest : public TransportTest {};

struct LinesRow {
  std::string body;
  std::vector<std::string> lines;
};

TEST_F(LoadInternetPageTest, LinesTable) {
  const LinesRow rows[] = {
      {"one line", {"one line"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\n\r\nc", {"a", "", "c"}},
      {"\r\n", {""}},
      {"\xEF\xBB\xBFmarked\r\n", {"marked"}},
      {R"({"date":"2024-05-01"})"
       "\nsecond",
       {R"({"date":"2024-05-01"})", "second"}},
  };
  int n = 0;
  for (const LinesRow& row : rows) {
    const std::string name = "page" + std::to_string(++n) + ".txt";
    content_.AddFile("downloads/" + name, row.body);
    std::vector<std::string> lines = {"left over"};
    EXPECT_TRUE(XInternet::LoadInternetPage(kServiceAgent, host(), "/downloads/" + name, 5000,
                                            nullptr, false, &lines))
        << ::testing::PrintToString(row.body);
    EXPECT_EQ(lines, row.lines) << ::testing::PrintToString(row.body);
  }
}

TEST_F(LoadInternetPageTest, AFailureClearsTheList) {
  std::vector<std::string> lines = {"left over"};
  EXPECT_FALSE(XInternet::LoadInternetPage(kServiceAgent, "127.0.0.1:1", "/rpc/getlastupdatecxw",
                                           5000, nullptr, false, &lines));
  EXPECT_TRUE(lines.empty());
}

TEST_F(LoadInternetPageTest, ByUrlSplitsTheAddressAndUsesTheBrowserAgent) {
  content_.AddDatabase("64", "7", "2024-05-01");
  std::vector<std::string> lines;
  ASSERT_TRUE(
      LoadInternetPageByUrl(service_->url("/rpc/getlastupdatecxw?x=1&y=2"), &lines, 5000, nullptr))
      << LogText();
  EXPECT_EQ(lines, std::vector<std::string>{R"({"date":"2024-05-01"})"});
  const std::vector<AccessLine> access = AccessFor("/rpc/getlastupdatecxw", 1);
  ASSERT_EQ(access.size(), 1u);
  EXPECT_EQ(access[0].target, "/rpc/getlastupdatecxw?x=1&y=2");
  EXPECT_EQ(access[0].agent, "Mozilla/5.0 (compatible; Indy Library)");
}

TEST_F(LoadInternetPageTest, ByUrlWithHttpsGoesToTheSecondaryStack) {
  std::vector<std::string> lines;
  EXPECT_FALSE(
      LoadInternetPageByUrl("HTTPS://" + host() + "/rpc/getlastupdatecxw", &lines, 5000, nullptr));
  EXPECT_TRUE(HasLog(": XInternet.LoadInternetData PARAMS: begin with: " + host() +
                     "/rpc/getlastupdatecxw, Force=False"))
      << LogText();
}

class AddressesInLogLinesTest : public TransportTest {
 protected:
  nlohmann::json Profile() const override {
    nlohmann::json profile;
    profile["network"]["ip_addresses"] = {"172.16.5.4", "127.0.0.1", "192.168.0.7", "10.1.2.3"};
    return profile;
  }
};

TEST_F(AddressesInLogLinesTest, BeginLinesNameThePcsAddresses) {
  content_.AddDatabase("64", "7", "2024-05-01");
  std::vector<std::string> lines;
  ASSERT_TRUE(XInternet::LoadInternetPage(kServiceAgent, host(), "/rpc/getlastupdatecxw", 5000,
                                          nullptr, false, &lines));
  EXPECT_TRUE(HasLog(": XInternet.LoadInternetDataIndy PARAMS: begin with: " + host() +
                     "/rpc/getlastupdatecxw, IP:10.1.2.3 172.16.5.4 "))
      << LogText();
}

}  // namespace
}  // namespace tav::testing
