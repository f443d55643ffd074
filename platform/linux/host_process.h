// Facts of a host process read from /proc, for the records the virtual PC
// keeps of its programs (processes, windows): a record names a process by
// its pid and start time, since pids are reused.
#pragma once

#include <cstdint>
#include <string>

namespace tav::platform::vpc {

struct HostProcessStat {
  uint32_t parent_id = 0;
  uint64_t start_ticks = 0;  // clock ticks after the host booted
  char state = '?';          // 'Z' once it has ended and waits to be reaped
  std::string comm;          // the executable's short name
};

bool ReadHostProcessStat(uint32_t pid, HostProcessStat* stat);

// True while the process runs (an ended process that was not yet reaped
// does not count); with start_ticks, only if it is that same process.
bool HostProcessRuns(uint32_t pid, uint64_t start_ticks = 0);

}  // namespace tav::platform::vpc
