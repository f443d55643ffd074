#include "tools/vpc/task_schedule.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/text.h"

namespace tav::vpc_tool {

using platform::SystemTime;

namespace {

constexpr std::string_view kTimed[] = {"MINUTE", "HOURLY", "DAILY", "WEEKLY", "MONTHLY", "ONCE"};
constexpr std::string_view kOnEvent[] = {"ONSTART", "ONLOGON", "ONIDLE", "ONEVENT"};

constexpr uint64_t kMinute = 60ull * 10000000ull;
constexpr uint64_t kHour = 60 * kMinute;
constexpr uint64_t kDay = 24 * kHour;

bool TwoDigits(std::string_view text, unsigned max, unsigned* value) {
  if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9') {
    return false;
  }
  *value = static_cast<unsigned>((text[0] - '0') * 10 + (text[1] - '0'));
  return *value <= max;
}

// Midnight of the local day that holds the time.
uint64_t DayStart(uint64_t local) {
  return local - local % kDay;
}

uint64_t MinutesOfDay(const std::string& hhmm) {
  unsigned hour = 0, minute = 0;
  TwoDigits(std::string_view(hhmm).substr(0, 2), 23, &hour);
  TwoDigits(std::string_view(hhmm).substr(3, 2), 59, &minute);
  return hour * kHour + minute * kMinute;
}

// The first time after now that is start + k * period.
uint64_t NextOf(uint64_t start, uint64_t period, uint64_t now) {
  if (start > now)
    return start;
  return start + ((now - start) / period + 1) * period;
}

uint64_t NextMonthly(uint64_t at_time_of_day, uint64_t now) {
  // Monthly tasks run on the first day of the month.
  SystemTime day;
  platform::FileTimeToSystemTime(now, &day);
  day.day = 1;
  day.hour = day.minute = day.second = day.milliseconds = 0;
  for (int months = 0; months < 2; ++months) {
    uint64_t first = 0;
    platform::SystemTimeToFileTime(day, &first);
    if (first + at_time_of_day > now)
      return first + at_time_of_day;
    day.month = static_cast<uint16_t>(day.month % 12 + 1);
    if (day.month == 1)
      ++day.year;
  }
  return 0;
}

}  // namespace

bool ParseScheduleKind(std::string_view text, std::string* kind) {
  const std::string upper = ToUpperAscii(text);
  bool known = false;
  for (std::string_view k : kTimed)
    known = known || upper == k;
  for (std::string_view k : kOnEvent)
    known = known || upper == k;
  if (known)
    *kind = upper;
  return known;
}

bool ScheduleRunsAtTime(std::string_view kind) {
  for (std::string_view k : kTimed) {
    if (kind == k)
      return true;
  }
  return false;
}

bool ParseStartTime(std::string_view text, std::string* start_time) {
  unsigned hour = 0, minute = 0, second = 0;
  const bool short_form = text.size() == 5 && text[2] == ':';
  const bool long_form = text.size() == 8 && text[2] == ':' && text[5] == ':';
  if (!(short_form || long_form) || !TwoDigits(text.substr(0, 2), 23, &hour) ||
      !TwoDigits(text.substr(3, 2), 59, &minute) ||
      (long_form && !TwoDigits(text.substr(6, 2), 59, &second))) {
    return false;
  }
  *start_time = std::string(text.substr(0, 5));
  return true;
}

std::string StartTimeOf(uint64_t local_file_time) {
  SystemTime t;
  platform::FileTimeToSystemTime(local_file_time, &t);
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u", t.hour % 24u, t.minute % 60u);
  return text;
}

uint64_t NextRunTime(const ScheduledTask& task, uint64_t now_local) {
  if (!ScheduleRunsAtTime(task.schedule) || task.start_time.size() != 5)
    return 0;
  uint64_t created_local = 0;
  platform::FileTimeToLocalFileTime(task.created, &created_local);
  const uint64_t at = MinutesOfDay(task.start_time);
  const uint64_t first = DayStart(created_local) + at;
  if (task.schedule == "ONCE")
    return first > now_local ? first : 0;
  if (task.schedule == "MINUTE")
    return NextOf(first, kMinute, now_local);
  if (task.schedule == "HOURLY")
    return NextOf(first, kHour, now_local);
  if (task.schedule == "DAILY")
    return NextOf(first, kDay, now_local);
  if (task.schedule == "WEEKLY")
    return NextOf(first, 7 * kDay, now_local);
  return NextMonthly(at, now_local);
}

}  // namespace tav::vpc_tool
