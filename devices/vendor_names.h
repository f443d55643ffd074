// The canonical vendor word of a manufacturer or provider name, as the
// driver database stores vendors ("Intel Corporation" → INTEL). The rules
// are data (vendor_rules.cpp), applied in their order.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// Empty for an empty name and for a result of fewer than two characters or
// with a character beyond "z".
std::string NormalizeVendor(std::string_view name);

// The normalized manufacturer when it is not empty, else the normalized provider.
std::string ChooseVendor(std::string_view manufacturer, std::string_view provider);

}  // namespace tav
