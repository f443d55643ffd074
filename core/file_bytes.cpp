#include "core/file_bytes.h"

#include "platform/file_system.h"

namespace tav {

bool ReadFileBytes(std::string_view path, std::string* bytes) {
  bytes->clear();
  platform::File file;
  if (!file.Open(path, platform::File::kRead,
                 platform::File::kShareRead | platform::File::kShareWrite,
                 platform::File::kOpenExisting)) {
    return false;
  }
  char buffer[65536];
  for (;;) {
    size_t got = 0;
    if (!file.Read(buffer, sizeof buffer, &got)) {
      bytes->clear();  // half a file is no file
      return false;
    }
    if (got == 0)
      return true;
    bytes->append(buffer, got);
  }
}

}  // namespace tav
