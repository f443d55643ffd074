#include "drivers/download_request.h"

#include "core/settings.h"
#include "platform/clock.h"

namespace tav {

std::string PackageDownloadPath(std::string_view file_name) {
  return "/downloads/" + std::string(file_name) + "?partner=" + GetProductValues().ads_name +
         "&version=4.0&nocache=" + std::to_string(platform::GetTickCount());
}

}  // namespace tav
