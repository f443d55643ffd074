#include "drivers/package_key.h"

#include "drivers/utf8_prefix.h"

namespace tav {

std::string PackageKey(std::string_view file_name) {
  const size_t underscore = file_name.find('_');
  if (underscore == std::string_view::npos)
    return std::string(file_name);
  return Utf8Prefix(file_name.substr(underscore + 1), 250);
}

}  // namespace tav
