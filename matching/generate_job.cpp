#include "matching/generate_job.h"

#include <atomic>
#include <thread>

#include "core/crash_reporter.h"
#include "core/log_engine.h"
#include "core/main_thread.h"
#include "core/process_flags.h"
#include "devices/device_list.h"
#include "matching/driver_database.h"
#include "platform/clock.h"

namespace tav {

namespace {

// Set and cleared on the main thread only (cleared inside the final report).
bool g_in_progress = false;
std::atomic<int> g_threads{0};

bool EndsJob(int code) { return code == kScanEnded || code == kScanCancelled || code == kScanFailed; }

// Hands one report to the main thread and brings its cancel flag back.
void ReportOnMainThread(const ScanCallback& callback, int code, const std::string& text, bool* cancel,
                        int total, int found, int processed) {
  MainThread::Synchronize([&] {
    if (EndsJob(code)) g_in_progress = false;
    callback(code, text, cancel, total, found, processed);
  });
}

void RunJob(int min_seconds, const ScanCallback& callback) {
  auto report = [&](int code, const std::string& text, bool* cancel, int total, int found, int processed) {
    ReportOnMainThread(callback, code, text, cancel, total, found, processed);
  };
  bool ignored = false;
  try {
    const bool listed = GenerateDevicesList("Devices.ini", [] { CreateBaseIndexes(); });
    if (!listed || IsStopping()) {
      report(kScanFailed, "", &ignored, 0, 0, 0);
      return;
    }
    GenerateDriverResult(min_seconds, ScanPaths(), "", report);
  } catch (const std::exception& e) {
    if (!IsStopping() && !IsApplicationTerminated()) {
      XLog::Error("TGenerateThread.Execute", "Common error", 0,
                  std::string("std::exception ") + e.what());
      ReportThreadException("TGenerateThread", std::current_exception());
    }
    // The job ends with a failure, so that a later scan can start.
    report(kScanFailed, "", &ignored, 0, 0, 0);
  } catch (...) {
    if (!IsStopping() && !IsApplicationTerminated()) {
      XLog::Error("TGenerateThread.Execute", "Common error", 0, "unknown exception");
      ReportThreadException("TGenerateThread", std::current_exception());
    }
    report(kScanFailed, "", &ignored, 0, 0, 0);
  }
}

}  // namespace

void GetDriverResult(int min_seconds, ScanCallback callback) {
  if (g_in_progress) {
    XLog::Error("GetDriverResult", "IsGenerateInProgress");
    return;
  }
  bool cancel = false;
  callback(kScanStarting, "", &cancel, 0, 0, 0);
  if (cancel) {
    bool ignored = false;
    callback(kScanCancelled, "", &ignored, 0, 0, 0);
    return;
  }
  g_in_progress = true;
  ++g_threads;
  std::thread([min_seconds, callback = std::move(callback)] {
    RunJob(min_seconds, callback);
    --g_threads;
  }).detach();
}

bool IsGenerateInProgress() { return g_in_progress; }

bool WaitForGenerateThread(uint32_t timeout_ms) {
  for (uint32_t waited = 0; g_threads > 0; waited += 10) {
    if (waited >= timeout_ms) return false;
    MainThread::ProcessPending(10);
  }
  return true;
}

}  // namespace tav
