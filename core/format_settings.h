// Date, time and number formats in the framework's pattern syntax (d, dd,
// m, mm, yyyy, h, hh, n, nn, s, ss, zzz, AM/PM, AMPM, "/" and ":" for the
// separators, quoted literals), and the conversions that use them.
#pragma once

#include <string>
#include <string_view>

#include "core/date_time.h"

namespace tav {

struct TFormatSettings {
  std::string short_date_format = "M/d/yyyy";
  std::string long_time_format = "h:nn:ss AMPM";
  char date_separator = '/';
  char time_separator = ':';
  char decimal_separator = '.';
  std::string time_am_string = "AM";
  std::string time_pm_string = "PM";
};

// The user's locale settings, read from the system once per call.
TFormatSettings UserFormatSettings();
// The work-file settings: the user's settings with the short date format
// "mm-dd-yyyy" and the separator "-".
TFormatSettings WorkFileFormatSettings();

std::string FormatDateTime(std::string_view format, DateTime value, const TFormatSettings& fs);
std::string DateToStr(DateTime value, const TFormatSettings& fs);
std::string TimeToStr(DateTime value, const TFormatSettings& fs);
// The date, and the time unless it is midnight.
std::string DateTimeToStr(DateTime value, const TFormatSettings& fs);

// Parses a date in the order of the short date format (day, month and year
// fields separated by the date separator; a two-digit year counts from 2000
// up to 49, from 1900 from 50). False when it does not parse.
bool TryStrToDate(std::string_view text, const TFormatSettings& fs, DateTime* value);
// A date, optionally followed by a time ("h:nn[:ss] [AM|PM]").
bool TryStrToDateTime(std::string_view text, const TFormatSettings& fs, DateTime* value);

// The shortest text that reads back as the same value (up to 15 significant
// digits), with the settings' decimal separator.
std::string FloatToStr(double value, const TFormatSettings& fs);
bool TryStrToFloat(std::string_view text, const TFormatSettings& fs, double* value);

// Converts a Windows locale pattern ("h:mm:ss tt") to the pattern syntax above.
std::string WindowsDateFormatToPattern(std::string_view windows_format, bool is_time);

}  // namespace tav
