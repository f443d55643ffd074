#include "core/build_stamp.h"

namespace tav {

DateTime BuildStampDate() {
  // "dd-mm-yyyy hh-nn"
  const std::string_view s = kBuildStamp;
  auto number = [&](size_t at, size_t length) {
    int value = 0;
    for (size_t i = at; i < at + length; ++i) value = value * 10 + (s[i] - '0');
    return value;
  };
  DateParts parts;
  parts.day = number(0, 2);
  parts.month = number(3, 2);
  parts.year = number(6, 4);
  parts.hour = number(11, 2);
  parts.minute = number(14, 2);
  DateTime value = 0;
  TryEncodeDateTime(parts, &value);
  return value;
}

}  // namespace tav
