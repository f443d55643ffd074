// The date of the installed driver database, for the settings key.
#pragma once

#include "core/date_time.h"

namespace tav {

// The date part of the last-write time of "Drivers32.db", else of
// "Drivers64.db", in the core work folder; now when neither exists.
DateTime DatabaseDate();

}  // namespace tav
