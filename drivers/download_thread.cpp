#include "drivers/download_thread.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <thread>

#include "core/crash_reporter.h"
#include "core/folders.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "core/process_flags.h"
#include "drivers/download_request.h"
#include "drivers/download_slots.h"
#include "drivers/download_status_file.h"
#include "drivers/download_texts.h"
#include "drivers/package_md5_check.h"
#include "drivers/progress_caption.h"
#include "net/internet.h"
#include "net/service_hosts.h"
#include "platform/clock.h"

namespace tav {

namespace {

constexpr std::string_view kExecute = "TDownloadThread.Execute";
constexpr int kAttempts = 3;
constexpr uint32_t kSlotPollMs = 300;
constexpr uint32_t kAfterMd5FailureMs = 3000;
constexpr uint32_t kBeforeRetryMs = 5000;
constexpr uint32_t kPauseStepMs = 50;

std::atomic<int> g_running{0};

bool ProgramClosing() {
  return IsApplicationTerminated() || IsStopping();
}

void LogThreadError(const std::string& message, std::exception_ptr error) {
  if (ProgramClosing())
    return;
  XLog::Error(kExecute, "Common error", 0, message);
  ReportThreadException("TDownloadThread", error);
}

}  // namespace

TDownloadThread::TDownloadThread(DownloadRow* row)
    : row_(row),
      file_name_(row->Package().FileName),
      key_(row->Package().Key),
      md5_hash_(row->Package().Md5Hash),
      target_(TargetFile(key_)) {}

std::string TDownloadThread::TargetFile(const std::string& key) {
  return GetFolders().download + key;
}

bool TDownloadThread::CheckMD5(const TDriverPackageEntry& package) {
  return CheckPackageMd5(TargetFile(package.Key), package.Key, package.Md5Hash) ==
         Md5Check::kPassed;
}

void TDownloadThread::Start() {
  ++g_running;
  try {
    std::thread([this] {
      Execute();
      Finish();
      delete this;
      --g_running;
    }).detach();
  } catch (const std::exception& e) {
    XLog::Error("TDownloadThread.Start", "CreateThread fail", 0, e.what());
    if (row_)
      row_->DownloadThreadEnded(this);
    --g_running;
    delete this;
  }
}

void TDownloadThread::Terminate() {
  terminated_ = true;
}

void TDownloadThread::ReleaseRow() {
  row_ = nullptr;
  row_gone_ = true;
}

void TDownloadThread::Execute() {
  try {
    Run();
  } catch (const std::exception& e) {
    LogThreadError(e.what(), std::current_exception());
  } catch (...) {
    LogThreadError("unknown exception", std::current_exception());
  }
}

void TDownloadThread::Run() {
  for (int attempt = 1; !ProgramClosing();) {
    if (attempt == 1) {
      const SlotAnswer slot = TakeSlot();
      if (slot == SlotAnswer::kEnd)
        return;
      if (slot == SlotAnswer::kBusy) {
        Pause(kSlotPollMs);
        continue;
      }
    }
    if (!Attempt(attempt))
      return;
    ++attempt;
    XLog::Log(kExecute, "Failed: " + file_name_);
    Pause(kBeforeRetryMs);
  }
}

// One transfer and its check; true when another attempt follows.
bool TDownloadThread::Attempt(int attempt) {
  if (RowGone())
    return false;
  NotifyPreparing();
  if (RowGone())
    return false;
  if (Transfer()) {
    XLog::Log(kExecute, "Finished: " + file_name_);
    const Md5Check md5 = CheckPackageMd5(target_, key_, md5_hash_);
    if (md5 == Md5Check::kPassed) {
      if (!ProgramClosing())
        NotifySuccess();
      return false;
    }
    if (md5 == Md5Check::kUnreadable) {
      const std::string message = "MD5File fail: " + target_;
      LogThreadError(message, std::make_exception_ptr(std::runtime_error(message)));
      return false;
    }
    if (!terminated_ && !ProgramClosing())
      Pause(kAfterMd5FailureMs);
  } else if (cancelled_) {
    XLog::Log(kExecute, "Cancelled: " + file_name_);
    NotifyQueued();
    return false;
  }
  if (attempt < kAttempts && !terminated_)
    return true;
  if (cancelled_ || terminated_) {
    NotifyQueued();
  } else {
    NotifyFail();
  }
  return false;
}

void TDownloadThread::Finish() {
  MainThread::Synchronize([this] {
    if (holds_slot_)
      DownloadSlots::Release();
    holds_slot_ = false;
    if (row_)
      row_->DownloadThreadEnded(this);
    row_ = nullptr;
  });
}

// A thread whose row went away or that was told to stop while it waited
// ends without ever taking a slot.
TDownloadThread::SlotAnswer TDownloadThread::TakeSlot() {
  SlotAnswer answer = SlotAnswer::kEnd;
  MainThread::Synchronize([this, &answer] {
    if (!LiveRow() || terminated_) {
      answer = SlotAnswer::kEnd;
    } else if (DownloadSlots::TryTake()) {
      holds_slot_ = true;
      answer = SlotAnswer::kTaken;
    } else {
      answer = SlotAnswer::kBusy;
    }
  });
  return answer;
}

bool TDownloadThread::Transfer() {
  throttle_ = ProgressThrottle();
  reported_position_ = -1;
  const bool loaded = XInternet::LoadInternetFile(
      kServiceAgent, ServiceHost(), PackageDownloadPath(file_name_), kPackageDownloadTimeoutMs,
      [this](int32_t position, int32_t total) { return Progress(position, total); }, false,
      target_);
  // The coalesced reports may have skipped the last position.
  if (!cancelled_ && reported_position_ != position_ && MayGoOn())
    ShowProgress();
  return loaded;
}

// On the download thread, after every block of the transfer.
bool TDownloadThread::Progress(int32_t position, int32_t total) {
  if (!MayGoOn()) {
    cancelled_ = true;
    NotifyQueued();
    return false;
  }
  position_ = position;
  total_ = total;
  if (throttle_.ShouldReport(position, total))
    ShowProgress();
  return true;
}

bool TDownloadThread::MayGoOn() const {
  return !terminated_ && !ProgramClosing() && !row_gone_;
}

bool TDownloadThread::RowGone() {
  bool gone = true;
  MainThread::Synchronize([this, &gone] { gone = LiveRow() == nullptr; });
  return gone;
}

// Ends early once the thread is told to stop, so that a cancel does not wait
// out a retry pause.
void TDownloadThread::Pause(uint32_t milliseconds) const {
  for (uint32_t waited = 0; waited < milliseconds && MayGoOn(); waited += kPauseStepMs)
    platform::Sleep(std::min(kPauseStepMs, milliseconds - waited));
}

// A row that says it is gone forgets the thread at once: nothing else of it
// is touched again.
DownloadRow* TDownloadThread::LiveRow() {
  if (row_ && row_->IsGone()) {
    row_->DownloadThreadEnded(this);
    ReleaseRow();
  }
  return row_;
}

void TDownloadThread::NotifyPreparing() {
  MainThread::Synchronize([this] {
    if (DownloadRow* row = LiveRow()) {
      row->SetProgressCaption(PreparingText());
      row->SetProgressPosition(0);
    }
  });
}

void TDownloadThread::ShowProgress() {
  reported_position_ = position_;
  MainThread::Synchronize([this] {
    if (DownloadRow* row = LiveRow()) {
      row->SetProgressMaximum(total_);
      row->SetProgressPosition(position_);
      row->SetProgressCaption(ProgressCaption(position_));
    }
  });
}

void TDownloadThread::NotifySuccess() {
  MainThread::Synchronize([this] {
    if (holds_slot_)
      DownloadSlots::Release();
    holds_slot_ = false;
    XLog::Log("TDownloadThread.NotifySuccess", "Success: " + key_);
    if (DownloadRow* row = LiveRow()) {
      row->ShowDownloaded();
      row->RefreshSummary();
    }
    RecordDownloadedDay(key_);
  });
}

void TDownloadThread::NotifyFail() {
  MainThread::Synchronize([this] {
    if (holds_slot_)
      DownloadSlots::Release();
    holds_slot_ = false;
    XLog::Error("TDownloadThread.NotifyFail", "Failed", 0, key_);
    DownloadRow* row = LiveRow();
    if (!row)
      return;
    if (!ProgramClosing())
      row->ShowNotDownloaded();
    row->CountFailedDownload();
    row->RefreshSummary();
  });
}

void TDownloadThread::NotifyQueued() {
  MainThread::Synchronize([this] {
    DownloadRow* row = LiveRow();
    if (!row || IsStopping())
      return;
    row->SetProgressCaption(QueuedText());
    row->ShowNotDownloaded();
    row->RefreshSummary();
  });
}

int DownloadThreadCount() {
  return g_running;
}

bool WaitForDownloadThreads(uint32_t timeout_ms) {
  for (uint32_t waited = 0; g_running > 0; waited += 10) {
    if (waited >= timeout_ms)
      return false;
    MainThread::ProcessPending(10);
  }
  return true;
}

}  // namespace tav
