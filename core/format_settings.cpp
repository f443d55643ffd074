#include "core/format_settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/locale_info.h"
#include "platform/text.h"

namespace tav {

namespace {

constexpr const char* kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kLongMonths[] = {"January", "February", "March",     "April",
                                       "May",     "June",     "July",      "August",
                                       "September", "October", "November", "December"};
constexpr const char* kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kLongDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

std::string Pad(int value, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*d", width, value);
  return text;
}

size_t RunLength(std::string_view s, size_t i) {
  size_t n = 1;
  while (i + n < s.size() && AsciiLower(s[i + n]) == AsciiLower(s[i])) ++n;
  return n;
}

bool HasAmPm(std::string_view format) {
  const std::string upper = ToUpperAscii(format);
  return upper.find("AMPM") != std::string::npos || upper.find("AM/PM") != std::string::npos ||
         upper.find("A/P") != std::string::npos;
}

}  // namespace

std::string WindowsDateFormatToPattern(std::string_view w, bool is_time) {
  std::string out;
  for (size_t i = 0; i < w.size();) {
    const char c = w[i];
    if (c == '\'') {
      const size_t close = w.find('\'', i + 1);
      const size_t end = close == std::string_view::npos ? w.size() : close;
      out += '"';
      out.append(w.substr(i + 1, end - i - 1));
      out += '"';
      i = end + 1;
      continue;
    }
    const size_t n = RunLength(w, i);
    if (c == 't') {
      out += "AMPM";
    } else if (c == 'H') {
      out.append(std::min<size_t>(n, 2), 'h');
    } else if (c == 'm' && is_time) {
      out.append(std::min<size_t>(n, 2), 'n');
    } else if (c == 'M') {
      out.append(n, 'm');
    } else if (c == 'g') {
      // era: not shown
    } else {
      out.append(w.substr(i, n));
    }
    i += n;
  }
  return out;
}

TFormatSettings UserFormatSettings() {
  const platform::LocaleFormats l = platform::GetUserLocaleFormats();
  TFormatSettings fs;
  fs.short_date_format = WindowsDateFormatToPattern(l.short_date, false);
  fs.long_time_format = WindowsDateFormatToPattern(l.time_format, true);
  fs.date_separator = l.date_separator.empty() ? '/' : l.date_separator[0];
  fs.time_separator = l.time_separator.empty() ? ':' : l.time_separator[0];
  fs.decimal_separator = l.decimal_separator.empty() ? '.' : l.decimal_separator[0];
  fs.time_am_string = l.am;
  fs.time_pm_string = l.pm;
  return fs;
}

TFormatSettings WorkFileFormatSettings() {
  TFormatSettings fs = UserFormatSettings();
  fs.short_date_format = "mm-dd-yyyy";
  fs.date_separator = '-';
  return fs;
}

std::string FormatDateTime(std::string_view f, DateTime value, const TFormatSettings& fs) {
  const DateParts p = DecodeDateTime(value);
  const bool twelve_hour = HasAmPm(f);
  std::string out;
  bool last_was_hour = false;
  for (size_t i = 0; i < f.size();) {
    const char c = f[i];
    const char lc = AsciiLower(c);
    if (c == '"' || c == '\'') {
      const size_t close = f.find(c, i + 1);
      const size_t end = close == std::string_view::npos ? f.size() : close;
      out.append(f.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    if (c == '/') {
      out += fs.date_separator;
      ++i;
      continue;
    }
    if (c == ':') {
      out += fs.time_separator;
      ++i;
      continue;
    }
    if (lc == 'a') {
      const std::string rest = ToUpperAscii(f.substr(i, 5));
      const bool pm = p.hour >= 12;
      if (rest.rfind("AMPM", 0) == 0) {
        out += pm ? fs.time_pm_string : fs.time_am_string;
        i += 4;
        continue;
      }
      if (rest.rfind("AM/PM", 0) == 0) {
        const std::string_view token = f.substr(i, 5);
        out += std::string(pm ? token.substr(3, 2) : token.substr(0, 2));
        i += 5;
        continue;
      }
      if (rest.rfind("A/P", 0) == 0) {
        const std::string_view token = f.substr(i, 3);
        out += pm ? token[2] : token[0];
        i += 3;
        continue;
      }
    }
    const size_t n = RunLength(f, i);
    switch (lc) {
      case 'y':
        out += n <= 2 ? Pad(p.year % 100, 2) : Pad(p.year, 4);
        break;
      case 'm':
        if (last_was_hour && n <= 2) {
          out += Pad(p.minute, n == 1 ? 1 : 2);  // "h:m" means minutes
        } else if (n == 1) {
          out += std::to_string(p.month);
        } else if (n == 2) {
          out += Pad(p.month, 2);
        } else if (n == 3) {
          out += kShortMonths[p.month - 1];
        } else {
          out += kLongMonths[p.month - 1];
        }
        break;
      case 'd':
        if (n == 1) {
          out += std::to_string(p.day);
        } else if (n == 2) {
          out += Pad(p.day, 2);
        } else if (n == 3) {
          out += kShortDays[DayOfWeek(value) - 1];
        } else if (n == 4) {
          out += kLongDays[DayOfWeek(value) - 1];
        } else {
          out += FormatDateTime(fs.short_date_format, value, fs);
        }
        break;
      case 'h': {
        int hour = p.hour;
        if (twelve_hour) {
          hour %= 12;
          if (hour == 0) hour = 12;
        }
        out += n == 1 ? std::to_string(hour) : Pad(hour, 2);
        break;
      }
      case 'n': out += n == 1 ? std::to_string(p.minute) : Pad(p.minute, 2); break;
      case 's': out += n == 1 ? std::to_string(p.second) : Pad(p.second, 2); break;
      case 'z': out += n < 3 ? std::to_string(p.millisecond) : Pad(p.millisecond, 3); break;
      case 't':
        out += FormatDateTime(n == 1 ? std::string_view("h:nn AMPM") : fs.long_time_format, value, fs);
        break;
      case 'c':
        out += DateTimeToStr(value, fs);
        break;
      default: out.append(f.substr(i, n)); break;
    }
    last_was_hour = lc == 'h' || (last_was_hour && (lc == ':' || lc == ' '));
    i += n;
  }
  return out;
}

std::string DateToStr(DateTime value, const TFormatSettings& fs) {
  return FormatDateTime(fs.short_date_format, value, fs);
}

std::string TimeToStr(DateTime value, const TFormatSettings& fs) {
  return FormatDateTime(fs.long_time_format, value, fs);
}

std::string DateTimeToStr(DateTime value, const TFormatSettings& fs) {
  std::string text = DateToStr(value, fs);
  const double fraction = std::fabs(value - std::trunc(value));
  if (std::llround(fraction * kMillisecondsPerDay) != 0) text += " " + TimeToStr(value, fs);
  return text;
}

namespace {

// The order of day, month and year in a date format: "mdy", "dmy" or "ymd".
std::string FieldOrder(std::string_view format) {
  std::string order;
  for (char c : format) {
    const char lc = AsciiLower(c);
    if ((lc == 'd' || lc == 'm' || lc == 'y') && order.find(lc) == std::string::npos) order += lc;
  }
  return order.size() == 3 ? order : "mdy";
}

bool ParseNumber(std::string_view text, size_t* i, int* value, size_t max_digits) {
  size_t start = *i, n = 0;
  int v = 0;
  while (*i < text.size() && n < max_digits && text[*i] >= '0' && text[*i] <= '9') {
    v = v * 10 + (text[*i] - '0');
    ++*i;
    ++n;
  }
  if (*i == start) return false;
  *value = v;
  return true;
}

void SkipBlanks(std::string_view text, size_t* i) {
  while (*i < text.size() && text[*i] == ' ') ++*i;
}

bool ParseDate(std::string_view text, size_t* i, const TFormatSettings& fs, DateParts* parts) {
  const std::string order = FieldOrder(fs.short_date_format);
  int fields[3] = {0, 0, 0};
  size_t digits[3] = {0, 0, 0};
  for (int k = 0; k < 3; ++k) {
    SkipBlanks(text, i);
    const size_t start = *i;
    if (!ParseNumber(text, i, &fields[k], 4)) return false;
    digits[k] = *i - start;
    if (k < 2) {
      SkipBlanks(text, i);
      if (*i >= text.size() || text[*i] != fs.date_separator) return false;
      ++*i;
    }
  }
  for (int k = 0; k < 3; ++k) {
    switch (order[static_cast<size_t>(k)]) {
      case 'd': parts->day = fields[k]; break;
      case 'm': parts->month = fields[k]; break;
      case 'y':
        parts->year = fields[k];
        if (digits[k] <= 2) parts->year += parts->year < 50 ? 2000 : 1900;
        break;
    }
  }
  return true;
}

bool ParseTime(std::string_view text, size_t* i, const TFormatSettings& fs, DateParts* parts) {
  SkipBlanks(text, i);
  if (!ParseNumber(text, i, &parts->hour, 2)) return false;
  if (*i >= text.size() || text[*i] != fs.time_separator) return false;
  ++*i;
  if (!ParseNumber(text, i, &parts->minute, 2)) return false;
  if (*i < text.size() && text[*i] == fs.time_separator) {
    ++*i;
    if (!ParseNumber(text, i, &parts->second, 2)) return false;
  }
  SkipBlanks(text, i);
  const std::string_view rest = text.substr(*i);
  auto take = [&](const std::string& marker) {
    if (!marker.empty() && StartsWithIgnoreCase(rest, marker)) {
      *i += marker.size();
      return true;
    }
    return false;
  };
  if (take(fs.time_pm_string) || take("PM")) {
    if (parts->hour < 12) parts->hour += 12;
  } else if (take(fs.time_am_string) || take("AM")) {
    if (parts->hour == 12) parts->hour = 0;
  }
  return true;
}

}  // namespace

bool TryStrToDate(std::string_view text, const TFormatSettings& fs, DateTime* value) {
  size_t i = 0;
  DateParts parts;
  if (!ParseDate(text, &i, fs, &parts)) return false;
  SkipBlanks(text, &i);
  if (i != text.size()) return false;
  return TryEncodeDateTime(parts, value);
}

bool TryStrToDateTime(std::string_view text, const TFormatSettings& fs, DateTime* value) {
  size_t i = 0;
  DateParts parts;
  if (!ParseDate(text, &i, fs, &parts)) return false;
  SkipBlanks(text, &i);
  if (i < text.size() && !ParseTime(text, &i, fs, &parts)) return false;
  SkipBlanks(text, &i);
  if (i != text.size()) return false;
  return TryEncodeDateTime(parts, value);
}

std::string FloatToStr(double value, const TFormatSettings& fs) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15G", value);
  std::string out = text;
  for (char& c : out) {
    if (c == '.') c = fs.decimal_separator;
  }
  // The framework writes exponents without a plus sign and leading zeros ("1E15").
  const size_t e = out.find('E');
  if (e != std::string::npos) {
    std::string mantissa = out.substr(0, e);
    std::string exponent = out.substr(e + 1);
    const bool negative = !exponent.empty() && exponent[0] == '-';
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) exponent.erase(0, 1);
    while (exponent.size() > 1 && exponent[0] == '0') exponent.erase(0, 1);
    out = mantissa + "E" + (negative ? "-" : "") + exponent;
  }
  return out;
}

bool TryStrToFloat(std::string_view text, const TFormatSettings& fs, double* value) {
  std::string s(text);
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  if (s.empty()) return false;
  for (char& c : s) {
    if (c == fs.decimal_separator) {
      c = '.';
    } else if (c == '.') {
      return false;  // a point is not the decimal separator here
    }
  }
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) {
      return false;
    }
  }
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (!end || *end != '\0' || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

}  // namespace tav
