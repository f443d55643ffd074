// The vendor text a package shows: the normalised vendor word in the case
// users know it by ("HP", "NVIDIA", "Realtek").
#pragma once

#include <string>
#include <string_view>

namespace tav {

// Normalised and lower-cased; "hp", "amd", "ati" and "nvidia" upper-cased,
// any other text with its first letter upper-cased; empty stays empty.
std::string PackageVendor(std::string_view vendor);

}  // namespace tav
