#include "platform/clock.h"

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/linux/virtual_pc.h"

namespace tav::platform {

namespace {

constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ull;

uint64_t HostUnixMilliseconds() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

// Days from civil date (proleptic Gregorian), after H. Hinnant's algorithm.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

unsigned DaysInMonth(unsigned year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

uint64_t GetSystemTimeAsFileTime() {
  return HostUnixMilliseconds() * 10000ull + kUnixEpochAsFileTime;
}

SystemTime GetSystemTime() {
  SystemTime st;
  FileTimeToSystemTime(GetSystemTimeAsFileTime(), &st);
  return st;
}

SystemTime GetLocalTime() {
  uint64_t local = 0;
  FileTimeToLocalFileTime(GetSystemTimeAsFileTime(), &local);
  SystemTime st;
  FileTimeToSystemTime(local, &st);
  return st;
}

int32_t TimeZoneBias() { return vpc::VirtualPc::Current().facts().time_zone_bias; }

bool FileTimeToLocalFileTime(uint64_t utc, uint64_t* local) {
  const int64_t shift = -static_cast<int64_t>(TimeZoneBias()) * 60 * 10000000LL;
  *local = static_cast<uint64_t>(static_cast<int64_t>(utc) + shift);
  return true;
}

bool LocalFileTimeToFileTime(uint64_t local, uint64_t* utc) {
  const int64_t shift = static_cast<int64_t>(TimeZoneBias()) * 60 * 10000000LL;
  *utc = static_cast<uint64_t>(static_cast<int64_t>(local) + shift);
  return true;
}

bool FileTimeToSystemTime(uint64_t file_time, SystemTime* out) {
  if (file_time >= 0x8000000000000000ull) return false;
  const uint64_t ms_total = file_time / 10000ull;
  const int64_t days = static_cast<int64_t>(ms_total / 86400000ull);
  const uint64_t ms_of_day = ms_total % 86400000ull;
  // FILETIME day 0 is 1601-01-01.
  const int64_t unix_days = days - 134774;
  int64_t y;
  unsigned m, d;
  CivilFromDays(unix_days, &y, &m, &d);
  out->year = static_cast<uint16_t>(y);
  out->month = static_cast<uint16_t>(m);
  out->day = static_cast<uint16_t>(d);
  out->day_of_week = static_cast<uint16_t>(((unix_days % 7) + 11) % 7);  // 1970-01-01 = Thursday
  out->hour = static_cast<uint16_t>(ms_of_day / 3600000ull);
  out->minute = static_cast<uint16_t>((ms_of_day / 60000ull) % 60);
  out->second = static_cast<uint16_t>((ms_of_day / 1000ull) % 60);
  out->milliseconds = static_cast<uint16_t>(ms_of_day % 1000ull);
  return true;
}

bool SystemTimeToFileTime(const SystemTime& t, uint64_t* file_time) {
  if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > DaysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59 ||
      t.milliseconds > 999) {
    return false;
  }
  const int64_t days = DaysFromCivil(t.year, t.month, t.day) + 134774;
  const uint64_t ms = static_cast<uint64_t>(days) * 86400000ull + t.hour * 3600000ull +
                      t.minute * 60000ull + t.second * 1000ull + t.milliseconds;
  *file_time = ms * 10000ull;
  return true;
}

uint64_t GetTickCount64() {
  const uint64_t boot = vpc::VirtualPc::Current().BootTimeMs();
  const uint64_t now = HostUnixMilliseconds();
  return now >= boot ? now - boot : 0;
}

uint32_t GetTickCount() { return static_cast<uint32_t>(GetTickCount64()); }

void Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace tav::platform
