// The secondary stack, called with force as the primary stack does when it
// hands a request over: resume by the read position, the second read after
// a timeout, the 407 rules, status codes, cancel.
#include <gtest/gtest.h>

#include "net/transport_state.h"
#include "tests/net/transport_fixture.h"

namespace tav::testing {
namespace {

constexpr size_t kSize = 500000;
constexpr const char* kPackagePath = "/downloads/222_realtek_audio.exe";
constexpr const char* kPagePath = "/rpc/getlastupdatecxw";

class WinInetStackTest : public TransportTest {
 protected:
  void SetUp() override {
    TransportTest::SetUp();
    bytes_ = content_.AddPackage("222_realtek_audio.exe", kSize, 3);
    content_.AddDatabase("64", "7", "2024-05-01");
  }
  bool LoadForced(TransferStream& stream,
                  const std::string& path = kPackagePath,
                  const TransferProgress& progress = nullptr) {
    return XInternet::LoadInternetData(kServiceAgent, host(), path, stream, false, progress, true);
  }
  std::string Where(const std::string& path = kPackagePath) const { return host() + path; }

  std::string bytes_;
};

TEST_F(WinInetStackTest, ReadsTheWholeBodyWithItsHeaders) {
  MemoryStream stream;
  ASSERT_TRUE(LoadForced(stream)) << LogText();
  EXPECT_TRUE(SameBytes(stream.data(), bytes_));
  EXPECT_EQ(stream.Position(), 0);
  EXPECT_EQ(Transport().wininet_success, 1);
  EXPECT_TRUE(
      HasLog(": XInternet.LoadInternetData PARAMS: begin with: " + Where() + ", Force=True, IP:"));
  EXPECT_TRUE(HasLog("Success: " + Where() + ", DataSize=500000, WinInetTimeout=-2")) << LogText();
  EXPECT_FALSE(HasLog("XInternet.LoadInternetDataIndy"));
  const std::vector<AccessLine> access = AccessFor(kPackagePath, 1);
  ASSERT_EQ(access.size(), 1u);
  EXPECT_EQ(access[0].method, "GET");
  EXPECT_EQ(access[0].agent, "Kelvorad NextGen (compatible; Indy Library)");
}

TEST_F(WinInetStackTest, ResumesFromWhatTheStreamHoldsByMovingTheReadPosition) {
  FileStream stream;
  const std::string file = pc_->WriteFile("C:\\Temp\\audio.exe.downloading", "");
  ASSERT_TRUE(stream.Open(file, nullptr));
  Faults({{{"path", kPackagePath}, {"drop_after", 120000}, {"times", 1}}});
  EXPECT_FALSE(LoadForced(stream));
  EXPECT_EQ(stream.Size(), 120000);
  EXPECT_TRUE(
      HasLog("ERROR (): XInternet.LoadInternetData MESS: Fail PARAMS: DataSize=500000 "
             "Data.Size=120000"))
      << LogText();

  ASSERT_TRUE(LoadForced(stream)) << LogText();
  stream.Close();
  EXPECT_TRUE(SameBytes(ReadPcFile(file), bytes_));
  EXPECT_TRUE(
      HasLog(": XInternet.LoadInternetData PARAMS: Continue previous downloading, "
             "Data.Size=120000"));
  const std::vector<AccessLine> access = AccessFor(kPackagePath, 3);
  ASSERT_EQ(access.size(), 3u);
  const AccessLine* rest = FindAccess(access, "GET", "bytes=120000-");
  ASSERT_NE(rest, nullptr);
  EXPECT_EQ(rest->status, 206);
}

TEST_F(WinInetStackTest, AFailedMoveOfTheReadPositionRereadsFromTheStart) {
  MemoryStream stream;
  stream.Write("stale bytes", 11);
  Faults({{{"path", kPackagePath}, {"no_content_length", true}}});
  ASSERT_TRUE(LoadForced(stream)) << LogText();
  EXPECT_TRUE(
      HasLog("ERROR (): XInternet.LoadInternetData MESS: InternetSetFilePointer fail 1 "
             "PARAMS: Data.Size=11, IP:"))
      << LogText();
  EXPECT_TRUE(SameBytes(stream.data(), bytes_));
}

TEST_F(WinInetStackTest, AReadTimeoutIsRetriedOnceFromTheStreamsEnd) {
  SetSystemTimeouts({2000, 800});
  Faults({{{"path", kPackagePath}, {"delay_ms", 1600}, {"delay_after", 200000}, {"times", 1}}});
  MemoryStream stream;
  ASSERT_TRUE(LoadForced(stream)) << LogText();
  EXPECT_TRUE(SameBytes(stream.data(), bytes_));
  EXPECT_TRUE(HasLog("InternetReadFile timeout first, Data.Size=200000")) << LogText();
  const std::vector<AccessLine> access = AccessFor(kPackagePath, 2);
  ASSERT_EQ(access.size(), 2u);
  EXPECT_NE(FindAccess(access, "GET", "bytes=200000-"), nullptr);
}

TEST_F(WinInetStackTest, WithoutContentLengthAnyBodyIsSuccess) {
  Faults({{{"path", kPackagePath}, {"no_content_length", true}}});
  MemoryStream stream;
  ASSERT_TRUE(LoadForced(stream)) << LogText();
  EXPECT_TRUE(SameBytes(stream.data(), bytes_));
  EXPECT_TRUE(HasLog("Success: " + Where() + ", DataSize=0, WinInetTimeout=")) << LogText();
}

TEST_F(WinInetStackTest, AnErrorStatusIsLoggedAndItsBodyRead) {
  Faults({{{"path", kPagePath}, {"status", 500}}});
  MemoryStream stream;
  EXPECT_TRUE(LoadForced(stream, kPagePath));
  EXPECT_EQ(stream.data(), "<html><body>Internal Server Error</body></html>");
  EXPECT_TRUE(HasLog(
      "ERROR (): XInternet.LoadInternetData MESS: Status code fail: " + Where(kPagePath) + ": 500"))
      << LogText();
}

// The system's proxy (here the service itself, named by http_proxy) wants a
// login: the request is sent again without it.
TEST_F(WinInetStackTest, A407FromThePreconfiguredProxyIsRetriedDirectly) {
  setenv("http_proxy", ("http://" + host()).c_str(), 1);
  MemoryStream stream;
  ASSERT_TRUE(LoadForced(stream, kPagePath)) << LogText();
  EXPECT_EQ(stream.data(), R"({"date":"2024-05-01"})");
  EXPECT_FALSE(Transport().preconfigured_proxy_allowed);
  EXPECT_TRUE(HasLog(": XInternet.LoadInternetData PARAMS: 407: disabling preconfig")) << LogText();
  const std::vector<AccessLine> proxied = AccessFor(service_->url(kPagePath), 1);
  ASSERT_EQ(proxied.size(), 1u);
  EXPECT_EQ(proxied[0].status, 407);
  const std::vector<AccessLine> direct = AccessFor(kPagePath, 1);
  ASSERT_EQ(direct.size(), 1u);
  EXPECT_EQ(direct[0].status, 200);
}

TEST_F(WinInetStackTest, ASecond407IsLoggedAndItsBodyRead) {
  Faults({{{"path", kPagePath}, {"status", 407}, {"times", 2}}});
  MemoryStream stream;
  EXPECT_TRUE(LoadForced(stream, kPagePath));
  EXPECT_EQ(stream.data(), "<html><body>Proxy Authentication Required</body></html>");
  EXPECT_EQ(CountLog("407: disabling preconfig"), 1);
  EXPECT_TRUE(
      HasLog("ERROR (): XInternet.LoadInternetData MESS: Status code fail 407 Proxy "
             "Authentication Required: " +
             Where(kPagePath) + ": 407"))
      << LogText();
  EXPECT_EQ(AccessFor(kPagePath, 2).size(), 2u);
}

struct CancelRow {
  bool decline_first;
  const char* line;
};

TEST_F(WinInetStackTest, CancelThroughTheProgressCallback) {
  const CancelRow rows[] = {{true, "Cancelled 1: "}, {false, "Cancelled 2: "}};
  for (const CancelRow& row : rows) {
    ProgressRecord progress;
    progress.decline_first = row.decline_first;
    progress.stop_after = 100000;
    MemoryStream stream;
    EXPECT_FALSE(LoadForced(stream, kPackagePath, progress.Callback())) << row.line;
    EXPECT_TRUE(HasLog(std::string(row.line) + Where())) << row.line << "\n" << LogText();
    EXPECT_EQ(Transport().wininet_failure, 0) << row.line;
  }
}

TEST_F(WinInetStackTest, CannotConnectIsSentOnceMore) {
  MemoryStream stream;
  EXPECT_FALSE(XInternet::LoadInternetData(kServiceAgent, "127.0.0.1:1", kPagePath, stream, false,
                                           nullptr, true));
  EXPECT_TRUE(HasLog(": XInternet.LoadInternetData PARAMS: HttpSendRequest cannot connect"));
  EXPECT_TRUE(
      HasLog("ERROR (): XInternet.LoadInternetData MESS: HttpSendRequest fail 1: "
             "127.0.0.1:1/rpc/getlastupdatecxw, IP: PARAMS: ERROR_INTERNET_CANNOT_CONNECT "
             "LAST_ERR (12029"))
      << LogText();
  EXPECT_EQ(Transport().wininet_failure, 1);
}

TEST_F(WinInetStackTest, HttpsAlwaysGoesToTheSecondaryStack) {
  std::vector<std::string> lines;
  EXPECT_FALSE(
      XInternet::LoadInternetPage(kServiceAgent, host(), kPagePath, 5000, nullptr, true, &lines));
  EXPECT_TRUE(HasLog(": XInternet.LoadInternetData PARAMS: begin with: " + Where(kPagePath) +
                     ", Force=False"))
      << LogText();
  EXPECT_FALSE(HasLog("XInternet.LoadInternetDataIndy"));
}

}  // namespace
}  // namespace tav::testing
