// When a scheduled task runs: the schedule kinds of schtasks /SC, their start
// times, and the next run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/vpc/task_store.h"

namespace tav::vpc_tool {

// MINUTE, HOURLY, DAILY, WEEKLY, MONTHLY, ONCE, ONSTART, ONLOGON, ONIDLE,
// ONEVENT in any letter case; *kind is upper case.
bool ParseScheduleKind(std::string_view text, std::string* kind);
// Whether the kind runs at a time of day (and so takes /ST), or on an event.
bool ScheduleRunsAtTime(std::string_view kind);

// "HH:mm" or "HH:mm:ss", 24-hour; *start_time is "HH:mm".
bool ParseStartTime(std::string_view text, std::string* start_time);
std::string StartTimeOf(uint64_t local_file_time);  // "HH:mm"

// The next run after now (local FILETIME); 0 when the task runs on an event
// or will not run again.
uint64_t NextRunTime(const ScheduledTask& task, uint64_t now_local);

}  // namespace tav::vpc_tool
