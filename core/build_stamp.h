// The fixed build stamp of this release: part of the start and stop log
// lines, and the date from which crash reporting counts its 20 days.
#pragma once

#include <string_view>

#include "core/date_time.h"

namespace tav {

inline constexpr std::string_view kBuildStamp = "12-10-2015 16-59";

// The stamp read as day-month-year hour-minute.
DateTime BuildStampDate();

}  // namespace tav
