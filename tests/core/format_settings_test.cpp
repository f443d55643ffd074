#include "core/format_settings.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

DateTime Make(int y, int m, int d, int h = 0, int n = 0, int s = 0) {
  DateTime v = 0;
  EXPECT_TRUE(TryEncodeDateTime({y, m, d, h, n, s, 0}, &v));
  return v;
}

TFormatSettings UsSettings() {
  TFormatSettings fs;
  fs.short_date_format = "M/d/yyyy";
  fs.long_time_format = "h:nn:ss AMPM";
  return fs;
}

TEST(FormatSettingsTest, FormatDateTimeTable) {
  const TFormatSettings us = UsSettings();
  TFormatSettings work = us;
  work.short_date_format = "mm-dd-yyyy";
  work.date_separator = '-';
  struct Row {
    const char* format;
    DateTime value;
    const TFormatSettings* fs;
    const char* expected;
  };
  const Row rows[] = {
      {"mm-dd-yyyy", Make(2014, 12, 31), &work, "12-31-2014"},
      {"mm/dd/yyyy", Make(2014, 1, 2), &work, "01-02-2014"},
      {"yyyy-mm-dd", Make(2015, 10, 12), &work, "2015-10-12"},
      {"h:nn:ss AMPM", Make(2015, 10, 12, 16, 59, 3), &us, "4:59:03 PM"},
      {"h:nn:ss AMPM", Make(2015, 10, 12, 0, 5, 0), &us, "12:05:00 AM"},
      {"hh:nn", Make(2015, 10, 12, 7, 8, 0), &us, "07:08"},
      {"h:mm", Make(2015, 10, 12, 7, 8, 0), &us, "7:08"},
      {"dd-mm-yyyy hh-nn", Make(2015, 10, 12, 16, 59), &us, "12-10-2015 16-59"},
      {"ddd d mmm yy", Make(2015, 10, 12), &us, "Mon 12 Oct 15"},
      {"\"Base\" yyyy", Make(2015, 10, 12), &us, "Base 2015"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FormatDateTime(row.format, row.value, *row.fs), row.expected) << "format " << row.format;
  }
}

TEST(FormatSettingsTest, DateZeroIsThe30thOfDecember1899) {
  TFormatSettings work;
  work.short_date_format = "mm-dd-yyyy";
  work.date_separator = '-';
  EXPECT_EQ(DateToStr(0, work), "12-30-1899");
}

TEST(FormatSettingsTest, DateTimeToStrOmitsMidnight) {
  const TFormatSettings us = UsSettings();
  EXPECT_EQ(DateTimeToStr(Make(2026, 12, 11), us), "12/11/2026");
  EXPECT_EQ(DateTimeToStr(Make(2026, 12, 11, 13, 31, 30), us), "12/11/2026 1:31:30 PM");
}

TEST(FormatSettingsTest, TryStrToDateFollowsTheFieldOrder) {
  TFormatSettings work;
  work.short_date_format = "mm-dd-yyyy";
  work.date_separator = '-';
  TFormatSettings iso = work;
  iso.short_date_format = "yyyy-mm-dd";
  TFormatSettings german = work;
  german.short_date_format = "dd.mm.yyyy";
  german.date_separator = '.';
  struct Row {
    const char* text;
    const TFormatSettings* fs;
    bool ok;
    int y, m, d;
  };
  const Row rows[] = {
      {"12-31-2014", &work, true, 2014, 12, 31}, {"2014-05-01", &iso, true, 2014, 5, 1},
      {"01.05.2014", &german, true, 2014, 5, 1}, {"2-3-14", &work, true, 2014, 2, 3},
      {"2-3-99", &work, true, 1999, 2, 3},       {"02-30-2014", &work, false, 0, 0, 0},
      {"13-01-2014", &work, false, 0, 0, 0},     {"12/31/2014", &work, false, 0, 0, 0},
      {"Unknown", &work, false, 0, 0, 0},        {"", &work, false, 0, 0, 0},
      {"12-31-2014x", &work, false, 0, 0, 0},
  };
  for (const Row& row : rows) {
    DateTime value = 0;
    EXPECT_EQ(TryStrToDate(row.text, *row.fs, &value), row.ok) << "text '" << row.text << "'";
    if (row.ok) {
      EXPECT_EQ(value, Make(row.y, row.m, row.d)) << "text '" << row.text << "'";
    }
  }
}

TEST(FormatSettingsTest, FloatToStrRoundTripsRawDates) {
  TFormatSettings comma;
  comma.decimal_separator = ',';
  const TFormatSettings dot;
  struct Row {
    double value;
    const TFormatSettings* fs;
    const char* expected;
  };
  const Row rows[] = {
      {42347.7083333333, &dot, "42347.7083333333"},
      {42347.7083333333, &comma, "42347,7083333333"},
      {41639, &dot, "41639"},
      {0, &dot, "0"},
      {-1.5, &dot, "-1.5"},
      {1e20, &dot, "1E20"},
  };
  for (const Row& row : rows) {
    const std::string text = FloatToStr(row.value, *row.fs);
    EXPECT_EQ(text, row.expected);
    double back = 0;
    ASSERT_TRUE(TryStrToFloat(text, *row.fs, &back)) << text;
    EXPECT_DOUBLE_EQ(back, row.value);
  }
  double v = 0;
  EXPECT_FALSE(TryStrToFloat("1.5", comma, &v)) << "a point is no decimal separator there";
  EXPECT_FALSE(TryStrToFloat("", dot, &v));
  EXPECT_FALSE(TryStrToFloat("12abc", dot, &v));
}

TEST(FormatSettingsTest, WindowsPatternsConvert) {
  EXPECT_EQ(WindowsDateFormatToPattern("h:mm:ss tt", true), "h:nn:ss AMPM");
  EXPECT_EQ(WindowsDateFormatToPattern("HH:mm:ss", true), "hh:nn:ss");
  EXPECT_EQ(WindowsDateFormatToPattern("M/d/yyyy", false), "m/d/yyyy");
  EXPECT_EQ(WindowsDateFormatToPattern("dd.MM.yyyy", false), "dd.mm.yyyy");
  EXPECT_EQ(WindowsDateFormatToPattern("d 'de' MMMM", false), "d \"de\" mmmm");
}

}  // namespace
}  // namespace tav
