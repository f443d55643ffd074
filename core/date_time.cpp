#include "core/date_time.h"

#include <cmath>

namespace tav {

namespace {

// Days from 1899-12-30 for a civil date (proleptic Gregorian).
int64_t DaysSinceEpoch(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 25569;  // 25569 = 1970-01-01 as a date value
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

bool TryEncodeDateTime(const DateParts& p, DateTime* value) {
  if (p.year < 1 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
      p.day > DaysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 ||
      p.minute > 59 || p.second < 0 || p.second > 59 || p.millisecond < 0 ||
      p.millisecond > 999) {
    return false;
  }
  const double days = static_cast<double>(DaysSinceEpoch(p.year, p.month, p.day));
  const double time =
      (p.hour * 3600000.0 + p.minute * 60000.0 + p.second * 1000.0 + p.millisecond) /
      kMillisecondsPerDay;
  // Before the epoch the fraction still counts forward from midnight.
  *value = days >= 0 ? days + time : days - time;
  return true;
}

DateParts DecodeDateTime(DateTime value) {
  DateParts p;
  // Round to the millisecond so that 0.9999999 of a day does not lose a second.
  const int64_t total_ms = std::llround(std::fabs(value) * kMillisecondsPerDay);
  int64_t days = total_ms / 86400000;
  int64_t ms_of_day = total_ms % 86400000;
  if (value < 0) days = -days;
  int64_t z = days - 25569 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  p.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  p.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  p.year = static_cast<int>(yoe + era * 400 + (p.month <= 2));
  p.hour = static_cast<int>(ms_of_day / 3600000);
  p.minute = static_cast<int>((ms_of_day / 60000) % 60);
  p.second = static_cast<int>((ms_of_day / 1000) % 60);
  p.millisecond = static_cast<int>(ms_of_day % 1000);
  return p;
}

int DayOfWeek(DateTime value) {
  const int64_t days = static_cast<int64_t>(std::floor(value));
  // 1899-12-30 was a Saturday (7).
  return static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;
}

DateTime SystemTimeToDateTime(const platform::SystemTime& t) {
  DateTime value = 0;
  TryEncodeDateTime({t.year, t.month, t.day, t.hour, t.minute, t.second, t.milliseconds}, &value);
  return value;
}

DateTime Now() { return SystemTimeToDateTime(platform::GetLocalTime()); }

DateTime Today() { return DatePart(Now()); }

DateTime DatePart(DateTime value) { return std::trunc(value); }

DateTime FileTimeToDateTime(uint64_t file_time) {
  if (file_time == 0) return 0;
  uint64_t local = 0;
  platform::SystemTime st;
  if (!platform::FileTimeToLocalFileTime(file_time, &local) ||
      !platform::FileTimeToSystemTime(local, &st)) {
    return 0;
  }
  return SystemTimeToDateTime(st);
}

uint64_t DateTimeToFileTime(DateTime value) {
  const DateParts p = DecodeDateTime(value);
  platform::SystemTime st;
  st.year = static_cast<uint16_t>(p.year);
  st.month = static_cast<uint16_t>(p.month);
  st.day = static_cast<uint16_t>(p.day);
  st.hour = static_cast<uint16_t>(p.hour);
  st.minute = static_cast<uint16_t>(p.minute);
  st.second = static_cast<uint16_t>(p.second);
  st.milliseconds = static_cast<uint16_t>(p.millisecond);
  uint64_t local = 0, utc = 0;
  if (!platform::SystemTimeToFileTime(st, &local) || !platform::LocalFileTimeToFileTime(local, &utc)) {
    return 0;
  }
  return utc;
}

}  // namespace tav
