// The machine's network addresses (the IP helper's address table).
#pragma once

#include <string>
#include <vector>

namespace tav::platform {

// The IPv4 addresses of the machine's interfaces in dotted form, sorted by
// address as GetIpAddrTable sorts them; loopback included when it is listed.
std::vector<std::string> GetIpv4Addresses();

}  // namespace tav::platform
