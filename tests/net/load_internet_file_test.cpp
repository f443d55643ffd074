// XInternet::LoadInternetFile against the service: downloads through a
// ".downloading" file, resume after a dropped connection, the 2-day rule, a
// missing Content-Length, cancel through the progress callback.
#include <gtest/gtest.h>

#include "core/date_time.h"
#include "net/transport_state.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "tests/net/transport_fixture.h"

namespace tav::testing {
namespace {

using nlohmann::json;

constexpr size_t kSize = 1000000;
constexpr const char* kPackagePath = "/downloads/111_intel_lan.zip";
constexpr const char* kQuery = "?partner=ACME&version=4.0&nocache=123456";

class LoadInternetFileTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    bytes_ = content_.AddPackage("111_intel_lan.zip", kSize, 5);
    target_ = Download("intel_lan.zip");
  }
  bool Load(const TransferProgress& progress = nullptr) {
    return XInternet::LoadInternetFile(kServiceAgent, host(), std::string(kPackagePath) + kQuery,
                                       60000, progress, false, target_);
  }
  std::string Partial() const { return target_ + ".downloading"; }
  std::string Where() const { return host() + kPackagePath + kQuery; }

  std::string bytes_;
  std::string target_;
};

TEST_F(LoadInternetFileTest, DownloadsIntoTheFileAndRenamesIt) {
  ProgressRecord progress;
  ASSERT_TRUE(Load(progress.Callback())) << LogText();
  EXPECT_TRUE(SameBytes(ReadPcFile(target_), bytes_));
  EXPECT_FALSE(PcFileExists(Partial()));
  EXPECT_EQ(Transport().request_timeout_ms, 60000);
  EXPECT_EQ(Transport().indy_success, 1);
  const std::vector<AccessLine> access = AccessFor(kPackagePath, 2);
  ASSERT_EQ(access.size(), 2u);
  EXPECT_NE(FindAccess(access, "HEAD", "-"), nullptr);
  const AccessLine* get = FindAccess(access, "GET", "-");
  ASSERT_NE(get, nullptr);
  EXPECT_EQ(get->agent, "Kelvorad NextGen (compatible; Indy Library)");
  ASSERT_FALSE(progress.calls.empty());
  for (size_t i = 1; i < progress.calls.size(); ++i) {
    EXPECT_GE(progress.calls[i].first, progress.calls[i - 1].first);
  }
  for (const auto& call : progress.calls)
    EXPECT_EQ(call.second, static_cast<int32_t>(kSize));
  EXPECT_EQ(progress.calls.back().first, static_cast<int32_t>(kSize));
  EXPECT_TRUE(HasLog(": XInternet.LoadInternetDataIndy PARAMS: begin with: " + Where() + ", IP:"))
      << LogText();
  EXPECT_TRUE(HasLog("Success: " + Where() + ", DataSize=1000000 Data.Size=1000000, IndyTimeout-2"))
      << LogText();
}

// Every answer is cut after 100,000 bytes: the primary stack gets two parts
// (the second by a range after the closed connection), the secondary stack a
// third from the read position. The next call asks for the rest.
TEST_F(LoadInternetFileTest, ResumesAfterDroppedConnectionsInTheNextCall) {
  Faults({{{"path", kPackagePath}, {"method", "GET"}, {"drop_after", 100000}}});
  EXPECT_FALSE(Load());
  EXPECT_FALSE(PcFileExists(target_));
  EXPECT_TRUE(SameBytes(ReadPcFile(Partial()), bytes_.substr(0, 300000)));
  EXPECT_TRUE(HasLog("ERROR (): XInternet.LoadInternetDataIndy MESS: EIdConnClosedGracefully"));
  EXPECT_TRUE(HasLog("IdHTTP.Get fail: 200000"));
  EXPECT_TRUE(
      HasLog(": XInternet.LoadInternetData PARAMS: Continue previous downloading, "
             "Data.Size=200000"))
      << LogText();

  ASSERT_TRUE(service_->ClearFaults());
  ASSERT_TRUE(Load()) << LogText();
  EXPECT_TRUE(SameBytes(ReadPcFile(target_), bytes_));
  EXPECT_FALSE(PcFileExists(Partial()));
  EXPECT_TRUE(
      HasLog(": XInternet.LoadInternetDataIndy.SetKeepDownloading PARAMS: Continue "
             "previous downloading, Data.Size=300000"));
  const std::vector<AccessLine> access = AccessFor(kPackagePath, 7);
  const AccessLine* rest = FindAccess(access, "GET", "bytes=300000-");
  ASSERT_NE(rest, nullptr);
  EXPECT_EQ(rest->status, 206);
  EXPECT_EQ(rest->bytes, kSize - 300000);
}

TEST_F(LoadInternetFileTest, ADropIsCompletedInTheSameCallByARange) {
  Faults({{{"path", kPackagePath}, {"method", "GET"}, {"drop_after", 400000}, {"times", 1}}});
  ASSERT_TRUE(Load()) << LogText();
  EXPECT_TRUE(SameBytes(ReadPcFile(target_), bytes_));
  EXPECT_TRUE(HasLog("EIdConnClosedGracefully"));
  EXPECT_TRUE(HasLog("Continue previous downloading, Data.Size=400000"));
  EXPECT_TRUE(HasLog("Get 2 ResponseCore=206"));
  EXPECT_FALSE(HasLog(": XInternet.LoadInternetData PARAMS: begin with"));
}

struct PartialFileRow {
  const char* name;
  double age_days;
  bool resumed;
};

TEST_F(LoadInternetFileTest, APartialFileOlderThanTwoDaysIsStartedAfresh) {
  const PartialFileRow rows[] = {{"1 day", 1.0, true},
                                 {"47 hours", 47.0 / 24, true},
                                 {"49 hours", 49.0 / 24, false},
                                 {"3 days", 3.0, false}};
  for (const PartialFileRow& row : rows) {
    // A stale file holds bytes that fit no longer; a fresh one the package's start.
    pc_->WriteFile(Partial(), row.resumed ? bytes_.substr(0, 250000) : std::string(250000, 'x'));
    const uint64_t day = 864000000000ull;
    const uint64_t age = static_cast<uint64_t>(row.age_days * static_cast<double>(day));
    ASSERT_TRUE(platform::SetLastWriteTime(Partial(), platform::GetSystemTimeAsFileTime() - age));
    const size_t before = service_->AccessFor(kPackagePath).size();
    ASSERT_TRUE(Load()) << row.name << "\n" << LogText();
    EXPECT_TRUE(SameBytes(ReadPcFile(target_), bytes_)) << row.name;
    EXPECT_FALSE(PcFileExists(Partial())) << row.name;
    std::vector<AccessLine> access = AccessFor(kPackagePath, before + 2);
    ASSERT_EQ(access.size(), before + 2) << row.name;
    access.erase(access.begin(), access.begin() + static_cast<std::ptrdiff_t>(before));
    EXPECT_NE(FindAccess(access, "GET", row.resumed ? "bytes=250000-" : "-"), nullptr) << row.name;
  }
}

TEST_F(LoadInternetFileTest, WithoutContentLengthAnyBodyIsSuccess) {
  Faults({{{"path", kPackagePath}, {"no_content_length", true}}});
  ASSERT_TRUE(Load()) << LogText();
  EXPECT_TRUE(SameBytes(ReadPcFile(target_), bytes_));
  EXPECT_TRUE(HasLog("Success: " + Where() + ", DataSize=-1 Data.Size=1000000")) << LogText();
}

TEST_F(LoadInternetFileTest, CancelKeepsThePartialFileForTheNextCall) {
  bytes_ = content_.AddPackage("111_intel_lan.zip", 4 << 20, 9);
  ProgressRecord progress;
  progress.stop_after = 1 << 20;
  EXPECT_FALSE(Load(progress.Callback()));
  EXPECT_TRUE(HasLog("Cancelled: DataSize=4194304 Data.Size=")) << LogText();
  EXPECT_FALSE(HasLog(": XInternet.LoadInternetData PARAMS: begin with")) << LogText();
  EXPECT_EQ(Transport().indy_failure, 0);
  const std::string partial = ReadPcFile(Partial());
  EXPECT_GT(partial.size(), 1u << 20);
  EXPECT_LT(partial.size(), 4u << 20);
  EXPECT_TRUE(SameBytes(partial, bytes_.substr(0, partial.size())));

  ASSERT_TRUE(Load()) << LogText();
  EXPECT_TRUE(SameBytes(ReadPcFile(target_), bytes_));
  EXPECT_TRUE(HasLog("Continue previous downloading, Data.Size=" + std::to_string(partial.size())));
}

TEST_F(LoadInternetFileTest, CreatesTheTargetFolder) {
  target_ = "C:\\Drivers Cache\\New\\Deep\\intel_lan.zip";
  ASSERT_TRUE(Load()) << LogText();
  EXPECT_TRUE(SameBytes(ReadPcFile(target_), bytes_));
}

TEST_F(LoadInternetFileTest, SpacesInThePathAreSentEncodedOnBothStacks) {
  const std::string bytes = content_.AddPackage("333 nvidia video.zip", 20000, 4);
  ASSERT_TRUE(XInternet::LoadInternetFile(kServiceAgent, host(), "/downloads/333 nvidia video.zip",
                                          60000, nullptr, false, target_))
      << LogText();
  EXPECT_TRUE(SameBytes(ReadPcFile(target_), bytes));
  MemoryStream stream;
  ASSERT_TRUE(XInternet::LoadInternetData(kServiceAgent, host(), "/downloads/333 nvidia video.zip",
                                          stream, false, nullptr, true));
  EXPECT_TRUE(SameBytes(stream.data(), bytes));
  const std::vector<AccessLine> access = AccessFor("/downloads/333%20nvidia%20video.zip", 3);
  EXPECT_EQ(access.size(), 3u);
  EXPECT_EQ(Transport().indy_failure, 0);
}

TEST_F(LoadInternetFileTest, AFailedDownloadLeavesNoTarget) {
  content_.AddPackage("empty.zip", 0);
  EXPECT_FALSE(XInternet::LoadInternetFile(kServiceAgent, host(), "/downloads/empty.zip", 60000,
                                           nullptr, false, target_));
  EXPECT_FALSE(PcFileExists(target_));
  EXPECT_TRUE(PcFileExists(Partial()));
  EXPECT_TRUE(
      HasLog("ERROR (): XInternet.LoadInternetDataIndy MESS: Fail PARAMS: DataSize=0 "
             "Data.Size=0"))
      << LogText();
}

// The error page of a failing server has the size it announces; neither
// stack may take it for the package, nor keep it to resume from.
TEST_F(LoadInternetFileTest, AnErrorAnswerNeverBecomesThePackage) {
  Faults({{{"path", kPackagePath}, {"status", 500}}});
  EXPECT_FALSE(Load());
  EXPECT_FALSE(PcFileExists(target_));
  EXPECT_TRUE(!PcFileExists(Partial()) || ReadPcFile(Partial()).empty()) << ReadPcFile(Partial());
  EXPECT_TRUE(HasLog("Status code fail: " + Where() + ": 500")) << LogText();
}

}  // namespace
}  // namespace tav::testing
