// A device setup class GUID, parsed from its braced text form.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tav {

struct TGuid {
  uint32_t Data1 = 0;
  uint16_t Data2 = 0;
  uint16_t Data3 = 0;
  std::array<uint8_t, 8> Data4{};

  bool operator==(const TGuid&) const = default;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in either letter case; false for
// any other text, the empty one included.
bool TryParseGuid(std::string_view text, TGuid* guid);

// The braced, upper-case text form.
std::string GuidToString(const TGuid& guid);

}  // namespace tav
