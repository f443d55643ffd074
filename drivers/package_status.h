// What a package's ".status" file says about it ([Settings] "Status",
// "CheckAfterRestart", "Downloaded", "Present").
#pragma once

#include <string_view>

#include "core/date_time.h"
#include "drivers/package_state.h"

namespace tav {

struct TPackageStatus {
  TPackageState State = psNone;
  DateTime DownloadedDate = 0;  // whole days; today when not recorded
  bool Present = true;
};

// Reads work folder + key + ".status" from its path. A file without a
// "Status" value is logged and reads as psNone.
TPackageStatus ReadPackageStatus(std::string_view status_path, std::string_view key);

}  // namespace tav
