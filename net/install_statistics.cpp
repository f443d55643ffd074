#include "net/install_statistics.h"

#include <string>
#include <vector>

#include "core/date_time.h"
#include "core/folders.h"
#include "core/format_settings.h"
#include "core/ini_file.h"
#include "core/log_engine.h"
#include "core/process_flags.h"
#include "devices/device_dates.h"
#include "net/upload_thread.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace tav {

namespace {

constexpr std::string_view kRoutine = "UploadToInstallStat";
constexpr double kOldDatabaseDays = 60;

// Retried once after 1000 ms: a record is often still held right after the
// installation that wrote it.
bool SaveRecord(const TMemIniFile& record, const char* first, const char* second) {
  int32_t error = 0;
  if (record.UpdateFile(&error))
    return true;
  XLog::Error(kRoutine, first, error, record.FileName());
  platform::Sleep(1000);
  if (record.UpdateFile(&error))
    return true;
  XLog::Error(kRoutine, second, error, record.FileName());
  return false;
}

}  // namespace

void UploadToInstallStat(std::string_view record_file) {
  const std::string path = GetFolders().core_work + std::string(record_file);
  if (!platform::FileExists(path)) {
    XLog::Error(kRoutine, "File not found", 0, path);
    return;
  }
  TMemIniFile record(path);
  if (!record.ReadBool("Settings", "Upload", false))
    return;
  if (!record.ReadBool("Settings", "AllowUpload", false)) {
    record.WriteInteger("Settings", "Upload", 0);
    SaveRecord(record, "Ini.UpdateFile fail 1", "Ini.UpdateFile fail 1.2");
    return;
  }
  const std::string base = record.ReadString("Settings", "Base", "");
  if (Now() - TextToDate(base, true) > kOldDatabaseDays) {
    XLog::Error(kRoutine, "Old database", 0, base);
    record.WriteInteger("Settings", "Upload", 0);
    SaveRecord(record, "Ini.UpdateFile fail 2", "Ini.UpdateFile fail 2.2");
    return;
  }
  record.WriteString("Settings", "UploadTime", DateTimeToStr(Now(), WorkFileFormatSettings()));
  SaveRecord(record, "Ini.UpdateFile fail 3", "Ini.UpdateFile fail 3.2");
  if (!ForceStopWaiting())
    TUploadThread::StartStatistics(std::string(record_file));
}

void CheckUploadToInstallStat() {
  std::vector<platform::FindData> found;
  platform::FindFiles(GetFolders().core_work + "*.dul", &found);
  for (const platform::FindData& f : found) {
    const TMemIniFile record(GetFolders().core_work + f.name);
    if (!record.ReadBool("Settings", "Upload", false))
      continue;
    XLog::Log("CheckUploadToInstallStat", "Re-uploading " + f.name);
    UploadToInstallStat(f.name);
  }
}

}  // namespace tav
