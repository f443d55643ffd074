// The service requests of tavrolin-service: the database check and address,
// the install ping and the two uploads, and the access log they leave.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/net/http_fetch.h"
#include "tests/net/service_content.h"
#include "tests/net/service_process.h"

namespace tav::testing {
namespace {

namespace fs = std::filesystem;

class ServiceRpcTest : public ::testing::Test {
 protected:
  void StartService() {
    service_ = std::make_unique<ServiceProcess>(content_.root());
    ASSERT_TRUE(service_->ok());
  }
  FetchResult Get(const std::string& path) { return Fetch(service_->url(path)); }

  ServiceContent content_;
  std::unique_ptr<ServiceProcess> service_;
};

TEST_F(ServiceRpcTest, LastUpdateIsTheNewestDatabaseDate) {
  content_.AddDatabase("32", "7", "2024-02-01");
  content_.AddDatabase("64", "10", "2024-03-15");
  content_.AddDatabase("64", "7", "2023-12-31");
  StartService();
  const FetchResult answer = Get("/rpc/getlastupdatecxw");
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.body, R"({"date":"2024-03-15"})");
}

TEST_F(ServiceRpcTest, LastUpdateFollowsANewDatabaseWhileRunning) {
  content_.AddDatabase("64", "7", "2024-01-01");
  StartService();
  EXPECT_EQ(Get("/rpc/getlastupdatecxw").body, R"({"date":"2024-01-01"})");
  content_.AddDatabase("64", "7", "2024-06-30");
  EXPECT_EQ(Get("/rpc/getlastupdatecxw").body, R"({"date":"2024-06-30"})");
}

TEST_F(ServiceRpcTest, LastUpdateWithoutDatabaseHasNoDate) {
  StartService();
  const FetchResult answer = Get("/rpc/getlastupdatecxw");
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.body.find("date"), std::string::npos) << answer.body;
}

TEST_F(ServiceRpcTest, DatabaseAddressNamesTheHostTheClientUsedWithEscapedSlashes) {
  const std::string archive = content_.AddDatabase("64", "7", "2024-03-15");
  StartService();
  const FetchResult answer = Get("/rpc/getdatabasecxw?arch=64&os=7");
  EXPECT_EQ(answer.status, 200);
  const std::string host = service_->host();
  EXPECT_EQ(answer.body, R"({"ok":1,"error":0,"url":"http:\/\/)" + host +
                             R"(\/databases\/64\/7\/Drivers.7z","file_hash":")" +
                             Md5Hex(ServiceContent::ReadHostFile(archive)) + "\"}");
}

TEST_F(ServiceRpcTest, TheDatabaseAddressServesTheArchive) {
  const std::string archive = content_.AddDatabase("32", "81", "2024-03-15");
  StartService();
  const FetchResult answer = Fetch(service_->url("/databases/32/81/Drivers.7z?partner=x"));
  EXPECT_EQ(answer.status, 200);
  EXPECT_TRUE(SameBytes(answer.body, ServiceContent::ReadHostFile(archive)));
}

TEST_F(ServiceRpcTest, DatabaseAddressIsAnErrorObjectWhenThereIsNone) {
  content_.AddDatabase("64", "7", "2024-03-15");
  StartService();
  for (const char* query :
       {"arch=32&os=7", "arch=64&os=10", "arch=16&os=7", "arch=64&os=x", "arch=64", ""}) {
    const FetchResult answer = Get(std::string("/rpc/getdatabasecxw?") + query);
    EXPECT_EQ(answer.status, 200) << query;
    EXPECT_EQ(answer.body.find(R"("ok":1,"error":0,"url":")"), std::string::npos) << query;
    EXPECT_NE(answer.body.find(R"("ok":0)"), std::string::npos) << query << ": " << answer.body;
  }
}

TEST_F(ServiceRpcTest, InstallPingIsRecorded) {
  StartService();
  EXPECT_EQ(Get("/rpc/sendinstall?partner=ACME&build=4.0").body, "OK");
  EXPECT_EQ(Get("/rpc/sendinstall?partner=Unknown&build=4.0").body, "OK");
  EXPECT_EQ(ServiceContent::ReadHostFile(service_->uploads_path() + "/installs.log"),
            "partner=ACME\tbuild=4.0\npartner=Unknown\tbuild=4.0\n");
}

TEST_F(ServiceRpcTest, UploadsAreStoredByKind) {
  StartService();
  const struct {
    std::string path, part, kind;
  } rows[] = {{"/rpc/sendsnapshot", "snapshot_file", "snapshots"},
              {"/rpc/senddriverstats", "file", "driverstats"}};
  for (const auto& row : rows) {
    FetchOptions options;
    options.method = "POST";
    options.files = {{row.part, "[Settings]\r\nVersion=1\r\n"}};
    const FetchResult answer = Fetch(service_->url(row.path), options);
    EXPECT_EQ(answer.status, 200) << row.path;
    std::vector<std::string> stored;
    for (const auto& entry : fs::directory_iterator(service_->uploads_path() + "/" + row.kind)) {
      stored.push_back(entry.path().filename().string());
      EXPECT_EQ(ServiceContent::ReadHostFile(entry.path().string()), "[Settings]\r\nVersion=1\r\n");
    }
    ASSERT_EQ(stored.size(), 1u) << row.path;
    EXPECT_NE(stored[0].find(row.part + "-" + row.part + ".txt"), std::string::npos) << stored[0];
  }
}

TEST_F(ServiceRpcTest, AnUploadWithoutFileIsRefused) {
  StartService();
  FetchOptions options;
  options.method = "POST";
  options.body = "x=1";
  EXPECT_EQ(Fetch(service_->url("/rpc/sendsnapshot"), options).status, 400);
}

// The service writes a line just after it has answered, so each request is
// waited for before the next.
TEST_F(ServiceRpcTest, AccessLogHasEveryRequest) {
  content_.AddPackage("pkg.zip", 1000);
  StartService();
  const auto lines_after = [this](size_t count) {
    return service_->WaitForAccessLog([count](const auto& l) { return l.size() >= count; });
  };
  FetchOptions head;
  head.method = "HEAD";
  Fetch(service_->url("/downloads/pkg.zip?partner=ACME&version=4.0&nocache=17"), head);
  lines_after(1);
  FetchOptions range;
  range.headers = {"Range: bytes=600-", "User-Agent: Kelvorad NextGen (compatible; Indy Library)"};
  Fetch(service_->url("/downloads/pkg.zip?partner=ACME"), range);
  lines_after(2);
  Get("/nothing/here");
  const std::vector<AccessLine> lines = lines_after(3);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].method, "HEAD");
  EXPECT_EQ(lines[0].target, "/downloads/pkg.zip?partner=ACME&version=4.0&nocache=17");
  EXPECT_EQ(lines[0].status, 200);
  EXPECT_EQ(lines[0].bytes, 0u);
  EXPECT_EQ(lines[1].method, "GET");
  EXPECT_EQ(lines[1].status, 206);
  EXPECT_EQ(lines[1].bytes, 400u);
  EXPECT_EQ(lines[1].range, "bytes=600-");
  EXPECT_EQ(lines[1].agent, "Kelvorad NextGen (compatible; Indy Library)");
  EXPECT_EQ(lines[2].status, 404);
}

}  // namespace
}  // namespace tav::testing
