#include "core/date_time.h"

#include <gtest/gtest.h>

#include "tests/support/temp_machine.h"

namespace tav {
namespace {

TEST(DateTimeTest, EncodeDecodeRoundTrip) {
  struct Row {
    DateParts parts;
    double value;
  };
  const Row rows[] = {
      {{1899, 12, 30, 0, 0, 0, 0}, 0.0},
      {{1899, 12, 29, 6, 0, 0, 0}, -1.25},
      {{1900, 3, 1, 0, 0, 0, 0}, 61.0},
      {{2014, 12, 31, 0, 0, 0, 0}, 42004.0},
      {{2015, 10, 12, 18, 0, 0, 0}, 42289.75},
      {{2000, 2, 29, 12, 0, 0, 0}, 36585.5},
  };
  for (const Row& row : rows) {
    DateTime value = 0;
    ASSERT_TRUE(TryEncodeDateTime(row.parts, &value));
    EXPECT_DOUBLE_EQ(value, row.value) << row.parts.year << "-" << row.parts.month;
    const DateParts back = DecodeDateTime(value);
    EXPECT_EQ(back.year, row.parts.year);
    EXPECT_EQ(back.month, row.parts.month);
    EXPECT_EQ(back.day, row.parts.day);
    EXPECT_EQ(back.hour, row.parts.hour);
  }
  DateTime value = 0;
  EXPECT_FALSE(TryEncodeDateTime({2014, 2, 29, 0, 0, 0, 0}, &value));
  EXPECT_FALSE(TryEncodeDateTime({2014, 4, 31, 0, 0, 0, 0}, &value));
  EXPECT_TRUE(TryEncodeDateTime({2016, 2, 29, 0, 0, 0, 0}, &value));
}

TEST(DateTimeTest, FileTimesUseThePcsTimeZone) {
  // UTC+2: bias -120 minutes.
  testing::TempMachine pc({{"os", {{"time_zone_bias", -120}}}});
  // 2014-06-01 10:00:00 UTC as FILETIME.
  platform::SystemTime utc;
  utc.year = 2014;
  utc.month = 6;
  utc.day = 1;
  utc.hour = 10;
  uint64_t ft = 0;
  ASSERT_TRUE(platform::SystemTimeToFileTime(utc, &ft));
  const DateParts local = DecodeDateTime(FileTimeToDateTime(ft));
  EXPECT_EQ(local.hour, 12);
  EXPECT_EQ(DateTimeToFileTime(FileTimeToDateTime(ft)), ft);
  EXPECT_EQ(FileTimeToDateTime(0), 0.0);
}

}  // namespace
}  // namespace tav
