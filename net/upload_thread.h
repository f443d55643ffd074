// The two one-way reports to the service, each on a short-lived thread of
// its own that frees itself when it ends: the driver snapshot
// ("Snapshot.ini" to the download host) and one installation record (a
// ".dul" file to the service host, then marked as sent). Network failures
// are silent.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace tav {

class TUploadThread {
 public:
  enum class Kind { kSnapshot, kStatistics };

  // "Snapshot.ini" of the core work folder, unless the application is
  // terminating or the file is gone by then.
  static void StartSnapshot();
  // record_file: a ".dul" file name, relative to the core work folder. Sent
  // only when the send-statistics switch is on; marked "Upload" = 0 after a
  // POST that went through or was skipped.
  static void StartStatistics(std::string record_file);

 private:
  TUploadThread(Kind kind, std::string record_file)
      : kind_(kind), record_file_(std::move(record_file)) {}
  void Start();
  void Execute();
  void SendSnapshot();
  void SendStatistics();

  Kind kind_;
  std::string record_file_;
};

// Threads still running (tests, and a command-line run before it ends).
int UploadThreadCount();
// Waits until none is left; false after timeout_ms.
bool WaitForUploadThreads(uint32_t timeout_ms);

}  // namespace tav
