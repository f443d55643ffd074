#include "drivers/package_status.h"

#include <cmath>
#include <string>

#include "core/ini_file.h"
#include "core/log_engine.h"

namespace tav {

namespace {

constexpr const char* kSection = "Settings";

TPackageState StateOf(const TMemIniFile& status, std::string_view key) {
  const std::string text = status.ReadString(kSection, "Status", "");
  if (text.empty()) {
    XLog::Error("TDriversList.Scan", "Status file not found", 0, std::string(key) + ".status");
    return psNone;
  }
  if (text == "Installed")
    return psInstalled;
  if (status.ReadBool(kSection, "CheckAfterRestart", false))
    return psCheckAfterRestart;
  if (text == "Pending")
    return psPending;
  if (text == "Downloaded")
    return psDownloaded;
  return psNone;
}

}  // namespace

TPackageStatus ReadPackageStatus(std::string_view status_path, std::string_view key) {
  const TMemIniFile status{std::string(status_path)};
  TPackageStatus result;
  result.State = StateOf(status, key);
  const auto today = static_cast<int64_t>(std::floor(Today()));
  result.DownloadedDate = static_cast<DateTime>(status.ReadInteger(kSection, "Downloaded", today));
  result.Present = status.ReadBool(kSection, "Present", true);
  return result;
}

}  // namespace tav
