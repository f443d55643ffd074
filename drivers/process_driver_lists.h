// The two driver lists of the process: the result list of the latest scan
// and the download history. Each is made on first use and lives until the
// process ends; a rescan clears and refills it in place, so package
// references from before a rescan are invalid after it. Main thread only.
#pragma once

#include <string_view>

#include "drivers/drivers_list.h"

namespace tav {

// The packages of the latest scan that are present and neither pending nor
// installed, sorted. A new list is always scanned; folder is the work folder.
TDriversList& GetDriverResultList(bool rescan, std::string_view folder);

// Every package whose downloaded file is still in the download folder, sorted.
TDriversList& GetDriverHistoryList(bool rescan, std::string_view folder);

}  // namespace tav
