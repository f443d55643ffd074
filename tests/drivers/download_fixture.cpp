#include "tests/drivers/download_fixture.h"

#include <stdlib.h>

#include <algorithm>

#include "core/folders.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "core/settings.h"
#include "core/settings_access.h"
#include "drivers/download_slots.h"
#include "drivers/package_key.h"
#include "net/service_hosts.h"
#include "net/transport_state.h"
#include "tests/support/program_log.h"

namespace tav::testing {

namespace {

// Long enough for a transfer that waits out the transport's 60 s timeout.
constexpr uint32_t kDownloadsTimeoutMs = 120000;

void ClearProxyEnvironment() {
  for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                           "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
    unsetenv(name);
  }
}

}  // namespace

RecordingRow::RecordingRow(std::string name,
                           std::unique_ptr<TDriverPackageEntry> package,
                           std::vector<std::string>* journal)
    : name_(std::move(name)), package_(std::move(package)), journal_(journal) {}

// As a destroyed row of the result list: the thread is let go and stopped.
RecordingRow::~RecordingRow() {
  if (thread_) {
    thread_->ReleaseRow();
    thread_->Terminate();
  }
}

void RecordingRow::Record(const std::string& event) {
  events_.push_back(event);
  journal_->push_back(name_ + " " + event);
}

void RecordingRow::SetProgressMaximum(int32_t maximum) {
  maximum_ = maximum;
  Record("maximum " + std::to_string(maximum));
}

void RecordingRow::SetProgressPosition(int32_t position) {
  position_ = position;
  Record("position " + std::to_string(position));
  if (on_position)
    on_position(*this);
}

void RecordingRow::SetProgressCaption(const std::string& caption) {
  caption_ = caption;
  Record("caption " + caption);
}

void RecordingRow::ShowDownloaded() {
  Record("downloaded");
}

void RecordingRow::ShowNotDownloaded() {
  Record("not downloaded");
}

void RecordingRow::RefreshSummary() {
  Record("refresh");
}

void RecordingRow::CountFailedDownload() {
  ++failed_;
  Record("failed count");
}

void RecordingRow::DownloadThreadEnded(const TDownloadThread* thread) {
  if (thread_ == thread)
    thread_ = nullptr;
  Record("thread ended");
}

void RecordingRow::StartDownload() {
  thread_ = new TDownloadThread(this);
  thread_->Start();
}

bool RecordingRow::Has(const std::string& event) const {
  return std::find(events_.begin(), events_.end(), event) != events_.end();
}

void DownloadTest::SetUp() {
  ClearProxyEnvironment();
  pc_ = std::make_unique<TempMachine>(Profile());
  MainThread::Init();
  MainThread::Restart();
  GetFolders() = Folders();
  ResolveFixedFolders();
  InitParams("Tavrolin", "", "", false);
  LoadProductValues();
  XLog::Init(GetFolders().core_work);
  ResetTransportState();
  DownloadSlots::Reset();
  service_ = std::make_unique<ServiceProcess>(content_.root());
  ASSERT_TRUE(service_->ok()) << "tavrolin-service did not start from " << ServicePath();
  RegWriteString(kSettingsRoot, kSettingsKey, "ServiceHost", service_->host());
  LoadServiceHosts();
}

void DownloadTest::TearDown() {
  rows_.clear();
  EXPECT_TRUE(WaitForDownloadThreads(kDownloadsTimeoutMs));
  XLog::Stop();
  service_.reset();
  pc_.reset();
}

std::unique_ptr<TDriverPackageEntry> DownloadTest::Package(const std::string& file_name,
                                                           const std::string& md5) {
  auto package = std::make_unique<TDriverPackageEntry>();
  package->FileName = file_name;
  package->Key = PackageKey(file_name);
  package->Md5Hash = md5;
  return package;
}

RecordingRow& DownloadTest::AddRow(const std::string& name,
                                   std::unique_ptr<TDriverPackageEntry> package) {
  rows_.push_back(std::make_unique<RecordingRow>(name, std::move(package), &journal_));
  return *rows_.back();
}

void DownloadTest::WaitForDownloads() {
  ASSERT_TRUE(WaitForDownloadThreads(kDownloadsTimeoutMs)) << LogText();
}

void DownloadTest::Faults(const nlohmann::json& rules) {
  ASSERT_TRUE(service_->SetFaults({{"rules", rules}}));
}

std::vector<std::string> DownloadTest::Log() {
  return ProgramLogLines(GetFolders().core_work + "program.log");
}

int DownloadTest::CountLog(std::string_view part) {
  return CountLinesWith(Log(), part);
}

std::string DownloadTest::LogText() {
  return LogListing(Log());
}

std::string DownloadTest::Target(const std::string& key) const {
  return GetFolders().download + key;
}

std::vector<AccessLine> DownloadTest::AccessFor(const std::string& path, size_t count) {
  return service_->AccessFor(path, count);
}

}  // namespace tav::testing
