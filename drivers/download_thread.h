// TDownloadThread: the download of one driver package chosen in the result
// list. It waits for a download slot (drivers/download_slots.h), fetches the
// package from the service into the download folder with resume, checks its
// MD5, retries a failed attempt (three attempts in all), reports to its row
// and, on success, records the day in the package's ".status" file.
//
// The row makes the thread (suspended), keeps a reference to it and starts
// it; from then on the thread owns itself and frees itself when it ends,
// giving back its slot and clearing the row's reference on the main thread.
// Every report to the row is one synchronous call to the main thread, except
// the progress, whose reports are coalesced to about one per 50 ms or 1 % of
// the package (always with the last position): a hand-over on every block
// of the transfer would cost most of its speed.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "drivers/download_row.h"
#include "drivers/driver_package_entry.h"
#include "net/progress_throttle.h"

namespace tav {

class TDownloadThread {
 public:
  // Main thread. The package's file name, key and MD5 are copied, so a
  // rebuilt list cannot pull them away from a running thread.
  explicit TDownloadThread(DownloadRow* row);
  TDownloadThread(const TDownloadThread&) = delete;
  TDownloadThread& operator=(const TDownloadThread&) = delete;

  // Main thread: runs the download on its own thread. After this call the
  // object may be gone at any moment the main thread is not running; reach
  // it only through the row's reference, which the thread clears at its end.
  void Start();

  // Asks the download to stop (the user cancels); the row still gets the
  // thread's last report.
  void Terminate();
  // Main thread: the row lets go of the thread (for example while it is
  // destroyed) and forgets it; no call reaches the row after this.
  void ReleaseRow();
  // Main thread: the thread has been granted a slot and not given it back.
  bool HoldsSlot() const { return holds_slot_; }

  // The downloaded file of the package against its MD5; an empty MD5 passes.
  // A file with the wrong MD5 is deleted.
  static bool CheckMD5(const TDriverPackageEntry& package);
  // Download folder + package key.
  static std::string TargetFile(const std::string& key);

 private:
  enum class SlotAnswer { kTaken, kBusy, kEnd };

  ~TDownloadThread() = default;
  void Execute();
  void Run();
  bool Attempt(int attempt);
  void Finish();

  SlotAnswer TakeSlot();
  bool Transfer();
  bool Progress(int32_t position, int32_t total);
  bool MayGoOn() const;
  bool RowGone();
  void Pause(uint32_t milliseconds) const;

  // Main thread: the row, or null once it is gone.
  DownloadRow* LiveRow();
  void NotifyPreparing();
  void ShowProgress();
  void NotifySuccess();
  void NotifyFail();
  void NotifyQueued();

  DownloadRow* row_;  // main thread only
  std::atomic<bool> row_gone_{false};
  std::atomic<bool> terminated_{false};
  bool holds_slot_ = false;  // main thread only
  bool cancelled_ = false;
  int32_t position_ = 0;
  int32_t total_ = 0;
  int32_t reported_position_ = -1;
  ProgressThrottle throttle_;
  const std::string file_name_;
  const std::string key_;
  const std::string md5_hash_;
  const std::string target_;
};

// Download threads that have been started and not yet ended.
int DownloadThreadCount();
// Main thread: serves the main thread until every download thread has ended,
// at most timeout_ms; false when some still run.
bool WaitForDownloadThreads(uint32_t timeout_ms);

}  // namespace tav
