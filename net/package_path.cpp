#include "net/package_path.h"

#include <string>

#include "platform/text.h"

namespace tav {

bool IsPackagePath(std::string_view path) {
  const std::string lower = ToLowerAscii(path);
  for (const char* mark : {".zip", ".7z", ".exe", ".msi"}) {
    if (lower.find(mark) != std::string::npos)
      return true;
  }
  return false;
}

}  // namespace tav
