// What the package download tests need: a virtual PC with the program's
// folders and log, tavrolin-service on 127.0.0.1 as the service host, fresh
// download slots, and rows that record every report they get.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "drivers/download_row.h"
#include "drivers/download_thread.h"
#include "drivers/driver_package_entry.h"
#include "tests/net/service_content.h"
#include "tests/net/service_process.h"
#include "tests/support/temp_machine.h"

namespace tav::testing {

// A row of the result list as the download sees it. Every report is kept
// as a text ("caption Preparing", "position 0", "downloaded", ...), also in
// the fixture's shared journal, so the order across rows can be checked.
class RecordingRow : public DownloadRow {
 public:
  RecordingRow(std::string name,
               std::unique_ptr<TDriverPackageEntry> package,
               std::vector<std::string>* journal);
  ~RecordingRow() override;

  const TDriverPackageEntry& Package() const override { return *package_; }
  void SetProgressMaximum(int32_t maximum) override;
  void SetProgressPosition(int32_t position) override;
  void SetProgressCaption(const std::string& caption) override;
  void ShowDownloaded() override;
  void ShowNotDownloaded() override;
  void RefreshSummary() override;
  void CountFailedDownload() override;
  bool IsGone() const override { return gone_; }
  void DownloadThreadEnded(const TDownloadThread* thread) override;

  // Makes and starts the row's download thread, as the result list does.
  void StartDownload();

  const std::vector<std::string>& events() const { return events_; }
  bool Has(const std::string& event) const;
  const std::string& caption() const { return caption_; }
  int32_t position() const { return position_; }
  int32_t maximum() const { return maximum_; }
  int failed() const { return failed_; }
  TDownloadThread* thread() const { return thread_; }
  void set_gone() { gone_ = true; }
  // Called on the main thread after each progress position.
  std::function<void(RecordingRow&)> on_position;

 private:
  void Record(const std::string& event);

  std::string name_;
  std::unique_ptr<TDriverPackageEntry> package_;
  std::vector<std::string>* journal_;
  std::vector<std::string> events_;
  std::string caption_ = "Queued";
  int32_t position_ = 0;
  int32_t maximum_ = 0;
  int failed_ = 0;
  bool gone_ = false;
  TDownloadThread* thread_ = nullptr;
};

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Profile entries merged over the default PC's.
  virtual nlohmann::json Profile() const { return nlohmann::json::object(); }

  // A package entry for a file name of the service, with its MD5.
  static std::unique_ptr<TDriverPackageEntry> Package(const std::string& file_name,
                                                      const std::string& md5);
  // A row for a package the service holds.
  RecordingRow& AddRow(const std::string& name, std::unique_ptr<TDriverPackageEntry> package);
  // Serves the main thread until every download thread has ended.
  void WaitForDownloads();

  void Faults(const nlohmann::json& rules);
  std::vector<std::string> Log();
  int CountLog(std::string_view part);
  std::string LogText();
  std::string Target(const std::string& key) const;
  std::string ReadPcFile(const std::string& windows_path) const {
    return pc_->ReadFile(windows_path);
  }
  std::vector<AccessLine> AccessFor(const std::string& path, size_t count);

  std::unique_ptr<TempMachine> pc_;
  ServiceContent content_;
  std::unique_ptr<ServiceProcess> service_;
  std::vector<std::unique_ptr<RecordingRow>> rows_;
  std::vector<std::string> journal_;
};

}  // namespace tav::testing
