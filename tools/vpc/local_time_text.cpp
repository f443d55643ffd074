#include "tools/vpc/local_time_text.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/locale_info.h"

namespace tav::vpc_tool {

namespace {

constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
constexpr const char* kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

std::string Number(unsigned value, size_t width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*u", static_cast<int>(width), value);
  return text;
}

std::string Field(char letter,
                  size_t count,
                  const platform::SystemTime& t,
                  const platform::LocaleFormats& locale) {
  const unsigned hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  switch (letter) {
    case 'd':
      if (count >= 3) {
        const std::string name = kDays[t.day_of_week % 7];
        return count == 3 ? name.substr(0, 3) : name;
      }
      return Number(t.day, count);
    case 'M':
      if (count >= 3) {
        const std::string name = kMonths[(t.month + 11) % 12];
        return count == 3 ? name.substr(0, 3) : name;
      }
      return Number(t.month, count);
    case 'y':
      return count <= 2 ? Number(t.year % 100, count) : Number(t.year, 4);
    case 'h':
      return Number(hour12, count);
    case 'H':
      return Number(t.hour, count);
    case 'm':
      return Number(t.minute, count);
    case 's':
      return Number(t.second, count);
    case 't': {
      const std::string& marker = t.hour < 12 ? locale.am : locale.pm;
      return count == 1 ? marker.substr(0, 1) : marker;
    }
    default:
      return std::string(count, letter);
  }
}

}  // namespace

std::string FormatTime(std::string_view pattern, uint64_t local_file_time) {
  platform::SystemTime t;
  platform::FileTimeToSystemTime(local_file_time, &t);
  const platform::LocaleFormats locale = platform::GetUserLocaleFormats();
  std::string out;
  for (size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (c == '\'') {
      const size_t close = pattern.find('\'', i + 1);
      const size_t end = close == std::string_view::npos ? pattern.size() : close;
      out.append(pattern.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    size_t count = 1;
    while (i + count < pattern.size() && pattern[i + count] == c)
      ++count;
    const bool letter = c == 'd' || c == 'M' || c == 'y' || c == 'h' || c == 'H' || c == 'm' ||
                        c == 's' || c == 't';
    out += letter ? Field(c, count, t, locale) : std::string(count, c);
    i += count;
  }
  return out;
}

std::string LocalDateTimeText(uint64_t local_file_time) {
  const platform::LocaleFormats locale = platform::GetUserLocaleFormats();
  return FormatTime(locale.short_date, local_file_time) + " " +
         FormatTime(locale.time_format, local_file_time);
}

}  // namespace tav::vpc_tool
