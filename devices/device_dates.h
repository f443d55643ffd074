// Date texts of the device list and the result files.
#pragma once

#include <string>
#include <string_view>

#include "core/date_time.h"

namespace tav {

// "yyyy-mm-dd" when year_first, else "mm-dd-yyyy".
std::string DateToText(DateTime value, bool year_first);
// The text parsed in that form with "-" separators; 0 when it does not parse.
DateTime TextToDate(std::string_view text, bool year_first);
// "mm-dd-yyyy" shown in the user's short date format; "Unknown" and texts
// that do not parse stay as they are.
std::string LocalizeDateText(std::string_view text);
// The date value as a decimal number in the user's locale.
std::string RawDateText(DateTime value);
// Reads a raw date in the user's locale; 0 when missing or unreadable.
DateTime ParseRawDate(std::string_view text);

}  // namespace tav
