// The package key of a package file name: what names the package's download
// file and its ".pre" and ".status" records.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// The text after the first "_" (at most 250 characters), or the whole name
// when it has none.
std::string PackageKey(std::string_view file_name);

}  // namespace tav
