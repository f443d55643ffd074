#include "core/debug_backup.h"

#include "core/date_time.h"
#include "core/folders.h"
#include "core/format_settings.h"
#include "core/log_engine.h"
#include "core/work_file_archive.h"
#include "platform/file_system.h"

namespace tav {

std::string CreateDebugBackup(std::string_view suffix) {
  if (!platform::FileExists("c:\\debug.pc")) return {};
  std::string stamp = DateTimeToStr(Now(), UserFormatSettings());
  for (char& c : stamp) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!keep) c = '-';
  }
  const std::string name = "Debug_" + stamp + "_" + std::string(suffix) + ".zip";
  const std::string work = GetFolders().core_work;
  XLog::Log("CreateDebugBackup", "Save backup to " + work + name);
  if (!platform::DirectoryExists(work)) XLog::Error("CreateDebugBackup", "BaseDir not exists", 0, work);
  return CreateWorkFileArchive(work, name);
}

}  // namespace tav
