#include "devices/device_dates.h"

#include "core/format_settings.h"

namespace tav {

namespace {

TFormatSettings DashSettings(bool year_first) {
  TFormatSettings fs;
  fs.short_date_format = year_first ? "yyyy-mm-dd" : "mm-dd-yyyy";
  fs.date_separator = '-';
  return fs;
}

}  // namespace

std::string DateToText(DateTime value, bool year_first) {
  const TFormatSettings fs = DashSettings(year_first);
  return FormatDateTime(fs.short_date_format, value, fs);
}

DateTime TextToDate(std::string_view text, bool year_first) {
  DateTime value = 0;
  return TryStrToDate(text, DashSettings(year_first), &value) ? value : 0;
}

std::string LocalizeDateText(std::string_view text) {
  if (text == "Unknown") return std::string(text);
  DateTime value = 0;
  if (!TryStrToDate(text, DashSettings(false), &value)) return std::string(text);
  return DateToStr(value, UserFormatSettings());
}

std::string RawDateText(DateTime value) { return FloatToStr(value, UserFormatSettings()); }

DateTime ParseRawDate(std::string_view text) {
  double value = 0;
  return TryStrToFloat(text, UserFormatSettings(), &value) ? value : 0;
}

}  // namespace tav
