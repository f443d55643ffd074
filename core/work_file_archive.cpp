#include "core/work_file_archive.h"

#include "core/archive.h"
#include "core/folders.h"
#include "core/log_engine.h"
#include "platform/file_system.h"

namespace tav {

std::vector<std::string> WorkFileArchiveList(std::string_view folder_view) {
  const std::string folder = folder_view.empty() ? GetFolders().core_work : std::string(folder_view);
  std::vector<std::string> files;
  for (const char* name : {"Devices.ini", "DevicesPlus.ini", "Scan.ini", "Snapshot.ini",
                           "program.log", "program_prev.log", "program_error.log",
                           "program_error_prev.log"}) {
    files.push_back(folder + name);
  }
  for (const char* mask : {"*.dul", "*.pre", "*.status"}) {
    std::vector<platform::FindData> found;
    platform::FindFiles(folder + mask, &found);
    for (const platform::FindData& f : found) {
      if (!(f.attributes & platform::file_attr::kDirectory)) files.push_back(folder + f.name);
    }
  }
  return files;
}

std::string CreateWorkFileArchive(std::string_view folder_view, std::string_view archive_name) {
  const std::string folder = folder_view.empty() ? GetFolders().core_work : std::string(folder_view);
  XLog::Flush();
  const std::string archive = folder + std::string(archive_name);
  return ZipFile(WorkFileArchiveList(folder), archive) ? archive : std::string();
}

}  // namespace tav
