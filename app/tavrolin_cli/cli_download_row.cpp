#include "app/tavrolin_cli/cli_download_row.h"

#include "core/text_utils.h"
#include "drivers/download_texts.h"
#include "drivers/download_thread.h"
#include "platform/file_system.h"

namespace tav::cli {

CliDownloadRow::CliDownloadRow(const TDriverPackageEntry& package,
                               DownloadBoard& board,
                               size_t line,
                               std::function<void()> summary)
    : package_(package), board_(board), line_(line), summary_(std::move(summary)) {
  Show(QueuedText());
}

CliDownloadRow::~CliDownloadRow() {
  Leave();
}

void CliDownloadRow::Start() {
  if (platform::FileExists(TDownloadThread::TargetFile(package_.Key))) {
    already_there_ = true;
    outcome_ = RowOutcome::kDownloaded;
    Show("Downloaded (already in the download folder)");
    return;
  }
  thread_ = new TDownloadThread(this);
  thread_->Start();
}

void CliDownloadRow::Leave() {
  if (gone_)
    return;
  gone_ = true;
  if (thread_) {
    thread_->ReleaseRow();
    thread_ = nullptr;
  }
  if (outcome_ != RowOutcome::kWaiting)
    return;
  outcome_ = RowOutcome::kNotDownloaded;
  const bool received =
      !caption_.empty() && caption_ != QueuedText() && caption_ != PreparingText();
  Show(received ? "Cancelled, " + Trim(caption_) + " kept for the next run" : "Cancelled");
}

void CliDownloadRow::SetProgressCaption(const std::string& caption) {
  caption_ = caption;
  Show(caption, caption != QueuedText() && caption != PreparingText());
}

void CliDownloadRow::ShowDownloaded() {
  outcome_ = RowOutcome::kDownloaded;
  Show("Downloaded");
}

void CliDownloadRow::ShowNotDownloaded() {
  outcome_ = RowOutcome::kNotDownloaded;
  Show(caption_ == QueuedText() ? "Cancelled" : "Not downloaded");
}

void CliDownloadRow::CountFailedDownload() {
  outcome_ = RowOutcome::kFailed;
  Show("Failed");
}

void CliDownloadRow::RefreshSummary() {
  summary_();
}

// A thread that ends without a last report (an unreadable file) leaves the
// package not downloaded.
void CliDownloadRow::DownloadThreadEnded(const TDownloadThread* thread) {
  if (thread_ != thread)
    return;
  thread_ = nullptr;
  if (outcome_ == RowOutcome::kWaiting) {
    outcome_ = RowOutcome::kNotDownloaded;
    Show("Not downloaded");
  }
  summary_();
}

void CliDownloadRow::Show(const std::string& text, bool progress) {
  board_.Update(line_, text, progress);
}

}  // namespace tav::cli
