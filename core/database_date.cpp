#include "core/database_date.h"

#include "core/file_utils.h"
#include "core/folders.h"

namespace tav {

DateTime DatabaseDate() {
  // "Drivers32.db" first, also on 64-bit Windows: the settings key has
  // always shown that file's date when both exist.
  for (const char* name : {"Drivers32.db", "Drivers64.db"}) {
    const std::string path = GetFolders().core_work + name;
    DateTime time = 0;
    if (platform::FileExists(path) && XFile::GetFileModifiedTime(path, &time)) return DatePart(time);
  }
  return Now();
}

}  // namespace tav
