// SHFileOperation(FO_DELETE) on the virtual PC: a file, or a folder with
// everything below it, removed without dialogs.
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/linux/path_map.h"
#include "platform/win_errors.h"

namespace tav::platform {

namespace {

std::string WithBackslash(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

}  // namespace

int32_t ShellDeleteTree(std::string_view path) {
  const std::string full = vpc::FullWindowsPath(path);
  const uint32_t attrs = GetFileAttributes(full);
  if (attrs == file_attr::kInvalid) return win_error::kFileNotFound;
  int32_t error = win_error::kSuccess;
  if ((attrs & file_attr::kDirectory) && !(attrs & file_attr::kReparsePoint)) {
    std::vector<FindData> entries;
    FindFiles(WithBackslash(full) + "*", &entries);
    int32_t first_error = win_error::kSuccess;
    for (const FindData& e : entries) {
      if (e.name == "." || e.name == "..") continue;
      const int32_t rc = ShellDeleteTree(WithBackslash(full) + e.name);
      if (rc != win_error::kSuccess && first_error == win_error::kSuccess) first_error = rc;
    }
    if (first_error != win_error::kSuccess) return first_error;
    return RemoveDirectory(full, &error) ? win_error::kSuccess : error;
  }
  if (attrs & file_attr::kReparsePoint) {
    return RemoveDirectory(full, &error) || DeleteFile(full, &error) ? win_error::kSuccess : error;
  }
  if (attrs & file_attr::kReadOnly) SetFileAttributes(full, file_attr::kArchive);
  return DeleteFile(full, &error) ? win_error::kSuccess : error;
}

}  // namespace tav::platform
