// The service request of a package download: "/downloads/" + the package's
// file name (prefix included) + the partner, program version and a
// cache-defeating tick count.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tav {

inline constexpr int32_t kPackageDownloadTimeoutMs = 60000;

std::string PackageDownloadPath(std::string_view file_name);

}  // namespace tav
