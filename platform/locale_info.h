// The user's locale: date, time and number formats in Windows' own pattern
// syntax (GetLocaleInfo), the language name, and the ANSI code page with
// conversions between it and UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tav::platform {

struct LocaleFormats {
  std::string short_date = "M/d/yyyy";    // LOCALE_SSHORTDATE
  std::string long_date = "dddd, MMMM d, yyyy";
  std::string time_format = "h:mm:ss tt";  // LOCALE_STIMEFORMAT
  std::string date_separator = "/";
  std::string time_separator = ":";
  std::string decimal_separator = ".";
  std::string thousand_separator = ",";
  std::string am = "AM";
  std::string pm = "PM";
};

LocaleFormats GetUserLocaleFormats();
std::string GetUiLanguageName();  // "English (United States)"
uint32_t GetAnsiCodePage();       // 1252

// WideCharToMultiByte / MultiByteToWideChar with the ANSI code page.
// Characters the code page lacks become "?", as on Windows.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

}  // namespace tav::platform
