#include "tests/net/report_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/settings_access.h"
#include "net/service_hosts.h"
#include "net/upload_thread.h"

namespace tav::testing {

namespace fs = std::filesystem;

void ReportTest::SetUp() {
  TransportTest::SetUp();
  if (HasFatalFailure())
    return;
  SetHosts(host(), host());
}

void ReportTest::TearDown() {
  // A thread left running would write into a virtual PC that is gone.
  EXPECT_TRUE(WaitForUploadThreads(10000));
  TransportTest::TearDown();
}

void ReportTest::SetHosts(const std::string& service_host, const std::string& download_host) {
  SetSetting("ServiceHost", service_host);
  SetSetting("DownloadHost", download_host);
  LoadServiceHosts();
}

std::vector<std::string> ReportTest::Uploaded(const std::string& kind) const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fs::path(service_->uploads_path()) / kind, ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());  // the service numbers them as they come
  return names;
}

std::string ReportTest::UploadedBytes(const std::string& kind, const std::string& name) const {
  return ServiceContent::ReadHostFile((fs::path(service_->uploads_path()) / kind / name).string());
}

std::vector<std::string> ReportTest::Installs() const {
  std::vector<std::string> lines;
  std::ifstream in(fs::path(service_->uploads_path()) / "installs.log");
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

}  // namespace tav::testing
