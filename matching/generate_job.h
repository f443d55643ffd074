// The generate job: one scan at a time on a worker thread, which writes the
// device list, runs the scan, and reports to the main thread.
#pragma once

#include <cstdint>

#include "matching/driver_result.h"

namespace tav {

// Starts a scan (min_seconds: the shortest duration, 0 for none). A scan
// already running is logged and nothing changes. The callback gets code 0
// first (on this, the main thread), then codes 1..4 from the worker through
// the main thread; codes 2, 3 and 4 end the job.
void GetDriverResult(int min_seconds, ScanCallback callback);

bool IsGenerateInProgress();
// Waits (serving the main thread) until the worker thread has ended.
bool WaitForGenerateThread(uint32_t timeout_ms);

}  // namespace tav
