#include "tools/dbtool/build_options.h"

#include <ctime>
#include <regex>

#include "matching/inf_target.h"
#include "tools/dbtool/arguments.h"

namespace tav::dbtool {

bool ParseArch(const std::string& text, bool* is_64bit) {
  if (text != "32" && text != "64")
    return false;
  *is_64bit = text == "64";
  return true;
}

bool ParseOsCode(const std::string& text, int* os_code) {
  long long value = 0;
  if (!ParseCount(text, 0, 1000, &value))
    return false;
  for (int code : AllOsCodes()) {
    if (code == value) {
      *os_code = code;
      return true;
    }
  }
  return false;
}

bool IsDatabaseDate(const std::string& text) {
  static const std::regex pattern("([0-9]{4})-([0-9]{2})-([0-9]{2})");
  std::smatch m;
  if (!std::regex_match(text, m, pattern))
    return false;
  std::tm tm{};
  tm.tm_year = std::stoi(m[1]) - 1900;
  tm.tm_mon = std::stoi(m[2]) - 1;
  tm.tm_mday = std::stoi(m[3]);
  tm.tm_hour = 12;
  std::tm normalized = tm;
  timegm(&normalized);
  return normalized.tm_mday == tm.tm_mday && normalized.tm_mon == tm.tm_mon &&
         normalized.tm_year == tm.tm_year;
}

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[16];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &local);
  return buffer;
}

std::string DatabaseFileNameFor(bool is_64bit) {
  return is_64bit ? "Drivers64.db" : "Drivers32.db";
}

}  // namespace tav::dbtool
