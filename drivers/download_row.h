// What a package download reports to: one row of the result list (or of the
// command line's download board). Every call comes on the main thread.
// The download thread composes its notifications from these: "Preparing"
// and the received size go to the progress bar, success puts the row into
// its downloaded state, a failure or a cancel back into its not-downloaded
// state, and the list around the row refreshes its summary and counts the
// failed downloads.
#pragma once

#include <cstdint>
#include <string>

#include "drivers/driver_package_entry.h"

namespace tav {

class TDownloadThread;

class DownloadRow {
 public:
  virtual ~DownloadRow() = default;

  // The package the row downloads; read when its thread is made.
  virtual const TDriverPackageEntry& Package() const = 0;

  virtual void SetProgressMaximum(int32_t maximum) = 0;
  virtual void SetProgressPosition(int32_t position) = 0;
  virtual void SetProgressCaption(const std::string& caption) = 0;

  virtual void ShowDownloaded() = 0;
  virtual void ShowNotDownloaded() = 0;

  // The result frame's summary line and failed-download count.
  virtual void RefreshSummary() = 0;
  virtual void CountFailedDownload() = 0;

  // True once the row no longer wants reports (the user left, the program
  // is closing). Asked before every report; the thread then clears the
  // row's reference (DownloadThreadEnded), lets go of the row, stops its
  // transfer and ends without calling the row again.
  virtual bool IsGone() const = 0;

  // The thread has ended or has let go of the row: a row that still refers
  // to it forgets it.
  virtual void DownloadThreadEnded(const TDownloadThread* thread) = 0;
};

}  // namespace tav
