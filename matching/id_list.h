// Splitting a device's comma-separated ID list for the lookups.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav {

// Every piece before a comma (empty ones too) and a non-empty last piece,
// upper-cased, in order. After each cut the rest is limited to 1000
// characters, so a very long list loses its tail.
std::vector<std::string> SplitIdList(std::string_view list);

}  // namespace tav
