// Injected faults of tavrolin-service: dropped connections, delays, status
// answers, missing lengths and corrupted bodies, per path and method, from a
// file at start and through the admin endpoint while running.
#include <gtest/gtest.h>

#include "tests/net/http_fetch.h"
#include "tests/net/service_content.h"
#include "tests/net/service_process.h"

namespace tav::testing {
namespace {

using nlohmann::json;

constexpr size_t kSize = 300000;
constexpr const char* kPath = "/downloads/pkg.zip";

class ServiceFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_ = content_.AddPackage("pkg.zip", kSize, 11);
    service_ = std::make_unique<ServiceProcess>(content_.root());
    ASSERT_TRUE(service_->ok());
  }
  void Faults(const json& rules) { ASSERT_TRUE(service_->SetFaults({{"rules", rules}})); }
  FetchResult Get(const FetchOptions& options = {}) { return Fetch(service_->url(kPath), options); }

  ServiceContent content_;
  std::string bytes_;
  std::unique_ptr<ServiceProcess> service_;
};

TEST_F(ServiceFaultsTest, DropOnceClosesAfterTheBytesThenServesAgain) {
  Faults({{{"path", kPath}, {"drop_after", 100000}, {"times", 1}}});
  const FetchResult dropped = Get();
  EXPECT_NE(dropped.curl_code, 0);
  EXPECT_TRUE(SameBytes(dropped.body, bytes_.substr(0, 100000)));
  const FetchResult whole = Get();
  EXPECT_EQ(whole.curl_code, 0);
  EXPECT_TRUE(SameBytes(whole.body, bytes_));
}

TEST_F(ServiceFaultsTest, DropAlwaysCountsFromTheStartOfEachAnswer) {
  Faults({{{"path", kPath}, {"drop_after", 1000}}});
  FetchOptions range;
  range.headers = {"Range: bytes=5000-"};
  const FetchResult part = Get(range);
  EXPECT_EQ(part.status, 206);
  EXPECT_TRUE(SameBytes(part.body, bytes_.substr(5000, 1000)));
  EXPECT_TRUE(SameBytes(Get().body, bytes_.substr(0, 1000)));
}

TEST_F(ServiceFaultsTest, MethodLimitsARule) {
  Faults({{{"path", kPath}, {"method", "GET"}, {"status", 500}}});
  FetchOptions head;
  head.method = "HEAD";
  EXPECT_EQ(Fetch(service_->url(kPath), head).status, 200);
  EXPECT_EQ(Get().status, 500);
}

TEST_F(ServiceFaultsTest, StatusAnswersTable) {
  for (int status : {407, 404, 500}) {
    Faults({{{"path", kPath}, {"status", status}, {"times", 2}}});
    for (int i = 0; i < 2; ++i) {
      const FetchResult answer = Get();
      EXPECT_EQ(answer.status, status) << status;
      EXPECT_FALSE(answer.body.empty()) << status;
      EXPECT_EQ(answer.has("proxy-authenticate"), status == 407) << status;
    }
    EXPECT_EQ(Get().status, 200) << status;
  }
}

TEST_F(ServiceFaultsTest, DelayHoldsTheAnswer) {
  Faults({{{"path", "/rpc/getlastupdatecxw"}, {"delay_ms", 30000}, {"times", 1}}});
  FetchOptions quick;
  quick.timeout_ms = 300;
  EXPECT_EQ(Fetch(service_->url("/rpc/getlastupdatecxw"), quick).curl_code, 28);  // timed out
  EXPECT_EQ(Fetch(service_->url("/rpc/getlastupdatecxw"), quick).curl_code, 0);
}

TEST_F(ServiceFaultsTest, DelayAfterBytesStallsInTheBody) {
  Faults({{{"path", kPath}, {"delay_ms", 30000}, {"delay_after", 50000}, {"times", 1}}});
  FetchOptions quick;
  quick.timeout_ms = 1000;
  const FetchResult stalled = Get(quick);
  EXPECT_EQ(stalled.curl_code, 28);
  EXPECT_EQ(stalled.status, 200);
  EXPECT_TRUE(SameBytes(stalled.body, bytes_.substr(0, 50000)));
}

TEST_F(ServiceFaultsTest, NoContentLengthEndsTheBodyByClosing) {
  Faults({{{"path", kPath}, {"no_content_length", true}}});
  FetchOptions range;
  range.headers = {"Range: bytes=100-"};
  for (const FetchOptions& options : {FetchOptions(), range}) {
    const FetchResult answer = Get(options);
    EXPECT_EQ(answer.curl_code, 0);
    EXPECT_EQ(answer.status, 200);
    EXPECT_FALSE(answer.has("content-length"));
    EXPECT_TRUE(SameBytes(answer.body, bytes_));
  }
}

TEST_F(ServiceFaultsTest, CorruptChangesOneByteInEvery4096) {
  Faults({{{"path", kPath}, {"corrupt", true}}});
  const FetchResult answer = Get();
  ASSERT_EQ(answer.body.size(), bytes_.size());
  size_t changed = 0;
  for (size_t i = 0; i < bytes_.size(); ++i) {
    if (answer.body[i] != bytes_[i]) {
      EXPECT_EQ(i % 4096, 0u) << i;
      ++changed;
    }
  }
  EXPECT_EQ(changed, (kSize + 4095) / 4096);
}

TEST_F(ServiceFaultsTest, AdminShowsTheUsesLeft) {
  Faults({{{"path", kPath}, {"status", 500}, {"times", 3}}});
  Get();
  const FetchResult rules = Fetch(service_->url("/admin/faults"));
  EXPECT_EQ(json::parse(rules.body)["rules"][0]["times"], 2);
}

TEST_F(ServiceFaultsTest, AdminRefusesBadRules) {
  for (const std::string body : {"not json", R"({"rules": 1})", R"({"rules": [{"status": 500}]})",
                                 R"({"rules": [{"path": "/x", "times": "often"}]})"}) {
    FetchOptions post;
    post.method = "POST";
    post.body = body;
    EXPECT_EQ(Fetch(service_->url("/admin/faults"), post).status, 400) << body;
  }
}

TEST(ServiceFaultsFileTest, FaultsFromTheFileApplyFromTheStart) {
  ServiceContent content;
  const std::string bytes = content.AddPackage("pkg.zip", 5000);
  const std::string faults = content.AddFile(
      "faults.json", R"({"rules": [{"path": "/downloads/pkg.zip", "status": 404, "times": 1}]})");
  ServiceProcess service(content.root(), {"--faults", faults});
  ASSERT_TRUE(service.ok());
  EXPECT_EQ(Fetch(service.url(kPath)).status, 404);
  EXPECT_TRUE(SameBytes(Fetch(service.url(kPath)).body, bytes));
}

}  // namespace
}  // namespace tav::testing
