// The PC's clock: local time through the profile's time-zone bias, the tick
// count since the profile's boot, and the FILETIME conversions.
#include <gtest/gtest.h>

#include <string>

#include "platform/clock.h"
#include "platform/linux/virtual_pc.h"
#include "tests/support/temp_machine.h"

namespace tav::platform {
namespace {

constexpr uint64_t kMinute = 60ull * 10000000ull;
constexpr uint64_t kMs = 10000;

TEST(ClockTest, LocalTimeIsUtcLessTheTimeZoneBias) {
  for (int bias : {300, -60, 0, -330}) {
    SCOPED_TRACE("bias " + std::to_string(bias));
    testing::TempMachine pc({{"os", {{"time_zone_bias", bias}}}});
    EXPECT_EQ(TimeZoneBias(), bias);
    const uint64_t utc = 133000000000000000ull;
    uint64_t local = 0, back = 0;
    ASSERT_TRUE(FileTimeToLocalFileTime(utc, &local));
    EXPECT_EQ(static_cast<int64_t>(utc - local), static_cast<int64_t>(bias) * 60 * 10000000);
    ASSERT_TRUE(LocalFileTimeToFileTime(local, &back));
    EXPECT_EQ(back, utc);

    const uint64_t before = GetSystemTimeAsFileTime();
    const SystemTime now_local = GetLocalTime();
    const uint64_t after = GetSystemTimeAsFileTime();
    uint64_t as_file_time = 0;
    ASSERT_TRUE(SystemTimeToFileTime(now_local, &as_file_time));
    const uint64_t as_utc = as_file_time + static_cast<int64_t>(bias) * kMinute;
    EXPECT_GE(as_utc + kMs, before);
    EXPECT_LE(as_utc, after + kMs);
  }
}

TEST(ClockTest, TheTickCountRunsFromTheProfilesBoot) {
  testing::TempMachine pc({{"os", {{"uptime_seconds", 5400}}}});
  const uint64_t ticks = GetTickCount64();
  EXPECT_GE(ticks, 5400u * 1000u);
  EXPECT_LT(ticks, (5400u + 600u) * 1000u);  // the set-up took less than ten minutes
}

TEST(ClockTest, TheThirtyTwoBitTickCountWrapsAfterFortyNineDays) {
  testing::TempMachine pc({{"os", {{"uptime_seconds", 60 * 86400}}}});
  const uint64_t ticks64 = GetTickCount64();
  const uint32_t ticks32 = GetTickCount();
  EXPECT_GT(ticks64, 0xFFFFFFFFull);
  EXPECT_LT(static_cast<uint32_t>(ticks32 - static_cast<uint32_t>(ticks64)), 600000u);
}

TEST(ClockTest, ARebootStartsTheTickCountAgain) {
  testing::TempMachine pc;
  const uint64_t now_ms = (GetSystemTimeAsFileTime() - 116444736000000000ull) / kMs;
  vpc::VirtualPc::Current().SetBootTimeMs(now_ms);
  EXPECT_LT(GetTickCount64(), 600000u);
}

struct DateCase {
  SystemTime time;
  uint64_t file_time;
};

TEST(ClockTest, SystemTimesAndFileTimesConvertBothWays) {
  const DateCase cases[] = {
      {{1601, 1, 1, 1, 0, 0, 0, 0}, 0},
      {{1970, 1, 4, 1, 0, 0, 0, 0}, 116444736000000000ull},
      {{2000, 2, 2, 29, 12, 34, 56, 789}, 125963012967890000ull},
      {{2038, 1, 2, 19, 3, 14, 8, 0}, 137919572480000000ull},
  };
  for (const DateCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.time.year) + "-" + std::to_string(c.time.month) + "-" +
                 std::to_string(c.time.day));
    uint64_t file_time = 0;
    ASSERT_TRUE(SystemTimeToFileTime(c.time, &file_time));
    EXPECT_EQ(file_time, c.file_time);
    SystemTime back;
    ASSERT_TRUE(FileTimeToSystemTime(c.file_time, &back));
    EXPECT_EQ(back.year, c.time.year);
    EXPECT_EQ(back.month, c.time.month);
    EXPECT_EQ(back.day, c.time.day);
    EXPECT_EQ(back.day_of_week, c.time.day_of_week);
    EXPECT_EQ(back.hour, c.time.hour);
    EXPECT_EQ(back.minute, c.time.minute);
    EXPECT_EQ(back.second, c.time.second);
    EXPECT_EQ(back.milliseconds, c.time.milliseconds);
  }
}

TEST(ClockTest, ImpossibleDatesAreRefused) {
  const SystemTime bad[] = {
      {2001, 2, 0, 29, 0, 0, 0, 0},  {2000, 2, 0, 30, 0, 0, 0, 0}, {1900, 2, 0, 29, 0, 0, 0, 0},
      {2026, 4, 0, 31, 0, 0, 0, 0},  {2026, 13, 0, 1, 0, 0, 0, 0}, {2026, 1, 0, 1, 24, 0, 0, 0},
      {1600, 12, 0, 31, 0, 0, 0, 0},
  };
  for (const SystemTime& t : bad) {
    uint64_t file_time = 0;
    EXPECT_FALSE(SystemTimeToFileTime(t, &file_time))
        << t.year << "-" << t.month << "-" << t.day << " " << t.hour;
  }
  SystemTime out;
  EXPECT_FALSE(FileTimeToSystemTime(0x8000000000000000ull, &out));
}

}  // namespace
}  // namespace tav::platform
