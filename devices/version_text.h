// Driver version texts: dot-separated decimal numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tav {

// "6,01,7600.16385" → "6.1.7600.16385"; a part that is not a whole decimal
// number counts as 0 ("1.2." → "1.2.0", "abc" → "0"); empty stays empty.
std::string NormalizeVersion(std::string_view text);

// The four 16-bit parts of a 64-bit driver version, high to low.
std::string VersionFrom64(uint32_t low, uint32_t high);

}  // namespace tav
