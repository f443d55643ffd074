// tavrolin-service standing in for a proxy: requests in absolute form get
// 407 unless they carry the configured login.
#include <gtest/gtest.h>

#include "tests/net/http_fetch.h"
#include "tests/net/service_content.h"
#include "tests/net/service_process.h"

namespace tav::testing {
namespace {

struct ProxyRow {
  std::vector<std::string> service_args;
  std::string login;
  int status;
};

TEST(ServiceProxyTest, ProxiedRequestsTable) {
  const ProxyRow rows[] = {
      {{}, "", 407},
      {{}, "user:secret", 407},
      {{"--proxy-login", "user:secret"}, "", 407},
      {{"--proxy-login", "user:secret"}, "user:wrong", 407},
      {{"--proxy-login", "user:secret"}, "user:secret", 200},
  };
  for (const ProxyRow& row : rows) {
    ServiceContent content;
    content.AddDatabase("64", "7", "2024-05-01");
    ServiceProcess service(content.root(), row.service_args);
    ASSERT_TRUE(service.ok());
    FetchOptions options;
    options.proxy = service.host();
    options.proxy_login = row.login;
    const FetchResult answer = Fetch(service.url("/rpc/getlastupdatecxw"), options);
    const std::string name = ::testing::PrintToString(row.service_args) + " " + row.login;
    EXPECT_EQ(answer.status, row.status) << name;
    if (row.status == 200) {
      EXPECT_EQ(answer.body, R"({"date":"2024-05-01"})") << name;
    }
    const std::vector<AccessLine> lines =
        service.WaitForAccessLog([](const auto& l) { return !l.empty(); });
    ASSERT_EQ(lines.size(), 1u) << name;
    EXPECT_EQ(lines[0].target, service.url("/rpc/getlastupdatecxw")) << name;
  }
}

TEST(ServiceProxyTest, DirectRequestsNeedNoLogin) {
  ServiceContent content;
  ServiceProcess service(content.root(), {"--proxy-login", "user:secret"});
  ASSERT_TRUE(service.ok());
  EXPECT_EQ(Fetch(service.url("/rpc/getlastupdatecxw")).status, 200);
}

}  // namespace
}  // namespace tav::testing
