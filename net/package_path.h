// A request path of a package: its lower-cased text contains ".zip", ".7z",
// ".exe" or ".msi". Only for these is the expected size asked for.
#pragma once

#include <string_view>

namespace tav {

bool IsPackagePath(std::string_view path);

}  // namespace tav
