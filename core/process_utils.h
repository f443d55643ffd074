// Facts about running processes for the diagnostics and the single-instance
// logic: image paths, start times, command lines, the WOW64 state, and a
// process list for the log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/date_time.h"

namespace tav {

class XProcess {
 public:
  // This program runs under WOW64 (computed once; false without the call).
  static bool IsWow64();
  // True when the process is a native process, not one under WOW64; false
  // when the call is missing or fails. The virtual PC knows the bitness of
  // its own process only: this process answers through IsWow64Process,
  // every other process counts as native on a 64-bit PC and as not native
  // on a 32-bit one.
  static bool IsWow64Process(uint32_t pid);
  // Local start time; 0 when unknown.
  static DateTime GetProcessStartTime(uint32_t pid, bool log_errors);
  // Empty for the system processes (4, 8) and whenever it cannot be read.
  static std::string GetCommandLine(uint32_t pid);
  // Whether any top-level window of the process is visible. The PC's
  // windows keep no shown state: every top-level window counts as visible.
  static bool IsProcessWindowVisible(uint32_t pid);
  // Local time of the last boot (computed once).
  static DateTime GetBootTime();
};

// The image path of a process, device paths turned into drive paths; empty
// for pid 0 and on failure.
std::string GetPathFromPID(uint32_t pid);

// Appends a dated header line and one line per running process (ids above
// 9): name, id, parent, window visibility and start time; with since > 0
// each name is marked "+ " (started after since) or "- ". Lines already in
// the list are not added again.
void CreateProcessList(std::vector<std::string>* list, DateTime since);

}  // namespace tav
