// Date values: a double counting days since 30 December 1899 with the time
// of day as the fraction, in local time; 0 means no date.
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace tav {

using DateTime = double;

struct DateParts {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// False for a date that does not exist (2014-02-30).
bool TryEncodeDateTime(const DateParts& parts, DateTime* value);
DateParts DecodeDateTime(DateTime value);
int DayOfWeek(DateTime value);  // 1 = Sunday, as the framework counts

DateTime Now();   // local
DateTime Today();  // local, time 0
DateTime DatePart(DateTime value);

DateTime SystemTimeToDateTime(const platform::SystemTime& time);
// A UTC FILETIME in local time; 0 for a zero file time or on failure.
DateTime FileTimeToDateTime(uint64_t file_time);
// A local date value as a UTC FILETIME.
uint64_t DateTimeToFileTime(DateTime value);

inline constexpr double kMillisecondsPerDay = 86400000.0;

}  // namespace tav
