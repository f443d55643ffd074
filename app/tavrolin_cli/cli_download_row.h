// A row of tavrolin-cli download: one package, its download thread and its
// line on the board. Lives on the main thread for the whole command.
#pragma once

#include <functional>
#include <string>

#include "app/tavrolin_cli/download_board.h"
#include "drivers/download_row.h"

namespace tav::cli {

enum class RowOutcome { kWaiting, kDownloaded, kFailed, kNotDownloaded };

class CliDownloadRow : public DownloadRow {
 public:
  // summary: called whenever a download ends, to redraw the summary line.
  CliDownloadRow(const TDriverPackageEntry& package,
                 DownloadBoard& board,
                 size_t line,
                 std::function<void()> summary);
  ~CliDownloadRow() override;
  CliDownloadRow(const CliDownloadRow&) = delete;
  CliDownloadRow& operator=(const CliDownloadRow&) = delete;

  // Starts the package's download thread, or marks a package whose file is
  // already in the download folder as downloaded.
  void Start();
  // Ctrl-C: the row goes; its transfer stops and its partial file stays.
  void Leave();

  RowOutcome outcome() const { return outcome_; }
  bool already_there() const { return already_there_; }

  const TDriverPackageEntry& Package() const override { return package_; }
  void SetProgressMaximum(int32_t) override {}
  void SetProgressPosition(int32_t) override {}
  void SetProgressCaption(const std::string& caption) override;
  void ShowDownloaded() override;
  void ShowNotDownloaded() override;
  void RefreshSummary() override;
  void CountFailedDownload() override;
  bool IsGone() const override { return gone_; }
  void DownloadThreadEnded(const TDownloadThread* thread) override;

 private:
  void Show(const std::string& text, bool progress = false);

  const TDriverPackageEntry& package_;
  DownloadBoard& board_;
  size_t line_;
  std::function<void()> summary_;
  TDownloadThread* thread_ = nullptr;
  RowOutcome outcome_ = RowOutcome::kWaiting;
  std::string caption_;
  bool already_there_ = false;
  bool gone_ = false;
};

}  // namespace tav::cli
