// Driver packages as archives: every file item of a zip or 7z archive read
// into memory, and archives written from items (with fixed times, so that
// the same items always give the same bytes).
#pragma once

#include <string>
#include <vector>

namespace tav::dbtool {

struct ArchiveItem {
  std::string path;  // inside the archive, "/" separators
  std::string bytes;
};

enum class ArchiveFormat { kZip, kSevenZip };

// False with a reason when the archive cannot be read whole.
bool ReadArchive(const std::string& host_path, std::vector<ArchiveItem>* items, std::string* error);
bool WriteArchive(const std::string& host_path,
                  ArchiveFormat format,
                  const std::vector<ArchiveItem>& items,
                  std::string* error);

}  // namespace tav::dbtool
