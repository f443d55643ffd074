// Per-device values that TDriversList::Scan reads from a device's scan
// section, its winning candidate and the package's status file, and hands to
// the entries it creates.
#pragma once

#include <string>

#include "core/date_time.h"
#include "drivers/package_state.h"

namespace tav {

struct TExtraParams {
  bool IsUnfiltered = false;
  bool IsConnected = true;
  bool IsSystemDriver = false;
  std::string ClassName;
  TPackageState State = psNone;
  DateTime DownloadedDate = 0;  // whole days
  std::string DeviceDescription;
  bool Present = true;
};

}  // namespace tav
