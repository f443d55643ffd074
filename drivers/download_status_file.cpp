#include "drivers/download_status_file.h"

#include <cmath>

#include "core/date_time.h"
#include "core/folders.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "platform/clock.h"

namespace tav {

namespace {

constexpr std::string_view kRoutine = "TDownloadThread.NotifySuccess";

}  // namespace

std::string PackageStatusPath(std::string_view key) {
  return GetFolders().core_work + std::string(key) + ".status";
}

bool RecordDownloadedDay(std::string_view key) {
  TMemIniFile status(PackageStatusPath(key));
  status.WriteInteger("Settings", "Downloaded", static_cast<int64_t>(std::floor(Today())));
  if (status.UpdateFile())
    return true;
  XLog::Error(kRoutine, "Ini.UpdateFile fail", 0, status.FileName());
  platform::Sleep(1000);
  if (status.UpdateFile())
    return true;
  XLog::Error(kRoutine, "Ini.UpdateFile fail 2", 0, status.FileName());
  return false;
}

}  // namespace tav
