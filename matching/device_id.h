// The identity of a device across scans, from its hardware IDs.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// The MD5 (wide-string rule) of the prepared forms of all IDs of the list,
// in lower-case hex; empty, with an error line, for an empty list.
std::string GenerateDeviceID(std::string_view regular_ids);

}  // namespace tav
