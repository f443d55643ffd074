// Package downloads from tavrolin-service: HEAD, whole files, byte ranges,
// 416, missing files and names that would leave the content folder.
#include <gtest/gtest.h>

#include "tests/net/http_fetch.h"
#include "tests/net/service_content.h"
#include "tests/net/service_process.h"

namespace tav::testing {
namespace {

constexpr size_t kSize = 100000;

class ServiceDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_ = content_.AddPackage("123_intel_lan.zip", kSize, 7);
    service_ = std::make_unique<ServiceProcess>(content_.root());
    ASSERT_TRUE(service_->ok());
  }
  std::string Url(const std::string& name = "123_intel_lan.zip") {
    return service_->url("/downloads/" + name + "?partner=ACME&version=4.0&nocache=123456");
  }

  ServiceContent content_;
  std::string bytes_;
  std::unique_ptr<ServiceProcess> service_;
};

TEST_F(ServiceDownloadTest, HeadGivesTheLengthWithoutBody) {
  FetchOptions head;
  head.method = "HEAD";
  const FetchResult answer = Fetch(Url(), head);
  EXPECT_EQ(answer.status, 200);
  EXPECT_EQ(answer.headers.at("content-length"), std::to_string(kSize));
  EXPECT_EQ(answer.headers.at("accept-ranges"), "bytes");
  EXPECT_TRUE(answer.body.empty());
}

TEST_F(ServiceDownloadTest, GetGivesTheWholeFile) {
  const FetchResult answer = Fetch(Url());
  EXPECT_EQ(answer.status, 200);
  EXPECT_TRUE(SameBytes(answer.body, bytes_));
}

struct RangeRow {
  std::string header;
  int status;
  size_t first, last;  // of the part, for 206
  std::string content_range;
};

TEST_F(ServiceDownloadTest, RangesTable) {
  const RangeRow rows[] = {
      {"bytes=0-", 206, 0, kSize - 1, "bytes 0-99999/100000"},
      {"bytes=40000-", 206, 40000, kSize - 1, "bytes 40000-99999/100000"},
      {"bytes=99999-", 206, 99999, kSize - 1, "bytes 99999-99999/100000"},
      {"bytes=10-19", 206, 10, 19, "bytes 10-19/100000"},
      {"bytes=90000-200000", 206, 90000, kSize - 1, "bytes 90000-99999/100000"},
      {"bytes=-100", 206, kSize - 100, kSize - 1, "bytes 99900-99999/100000"},
      {"bytes=100000-", 416, 0, 0, "bytes */100000"},
      {"bytes=500000-", 416, 0, 0, "bytes */100000"},
      // The HTTP library refuses a Range header it cannot parse before any handler.
      {"bytes=20-10", 416, 0, 0, ""},
      {"items=0-10", 416, 0, 0, ""},
      {"bytes=0-1,5-6", 200, 0, kSize - 1, ""},
  };
  for (const RangeRow& row : rows) {
    FetchOptions options;
    options.headers = {"Range: " + row.header};
    const FetchResult answer = Fetch(Url(), options);
    EXPECT_EQ(answer.status, row.status) << row.header;
    if (row.status == 416) {
      EXPECT_TRUE(answer.body.empty()) << row.header;
    } else {
      const std::string part = bytes_.substr(row.first, row.last - row.first + 1);
      EXPECT_TRUE(answer.body == part)
          << row.header << ": " << answer.body.size() << " bytes, not " << part.size();
    }
    const std::string content_range =
        answer.has("content-range") ? answer.headers.at("content-range") : "";
    EXPECT_EQ(content_range, row.content_range) << row.header;
  }
}

TEST_F(ServiceDownloadTest, MissingAndUnsafeNamesAreNotFound) {
  content_.AddFile("secret.txt", "secret");
  for (const std::string name :
       {"nothing.zip", "../secret.txt", "..%2Fsecret.txt", "%2E%2E/secret.txt"}) {
    const FetchResult answer = Fetch(Url(name));
    EXPECT_EQ(answer.status, 404) << name;
    EXPECT_EQ(answer.body.find("secret"), std::string::npos) << name;
  }
}

TEST_F(ServiceDownloadTest, PackagesInSubfoldersAreServed) {
  const std::string bytes = content_.AddPackage("vendor/abc_video.exe", 5000, 3);
  EXPECT_TRUE(SameBytes(Fetch(Url("vendor/abc_video.exe")).body, bytes));
}

}  // namespace
}  // namespace tav::testing
