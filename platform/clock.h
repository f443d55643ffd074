// Time as the PC keeps it: system time (UTC), local time through the PC's
// time-zone bias, and the tick count since boot.
#pragma once

#include <cstdint>

namespace tav::platform {

struct SystemTime {
  uint16_t year = 0;
  uint16_t month = 0;  // 1..12
  uint16_t day_of_week = 0;  // 0 = Sunday
  uint16_t day = 0;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

SystemTime GetSystemTime();  // UTC
SystemTime GetLocalTime();
uint64_t GetSystemTimeAsFileTime();  // UTC, 100 ns since 1601-01-01

bool FileTimeToLocalFileTime(uint64_t utc, uint64_t* local);
bool LocalFileTimeToFileTime(uint64_t local, uint64_t* utc);
bool FileTimeToSystemTime(uint64_t file_time, SystemTime* out);
bool SystemTimeToFileTime(const SystemTime& time, uint64_t* file_time);

// Minutes to add to local time to get UTC (Windows' TIME_ZONE_INFORMATION.Bias).
int32_t TimeZoneBias();

// Milliseconds since the PC booted; the 32-bit form wraps after 49.7 days.
uint32_t GetTickCount();
uint64_t GetTickCount64();

void Sleep(uint32_t milliseconds);

}  // namespace tav::platform
