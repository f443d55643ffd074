// The machine's network addresses (the IP helper's address table) and
// whether it is online.
#pragma once

#include <string>
#include <vector>

namespace tav::platform {

// The IPv4 addresses of the machine's interfaces in dotted form, sorted by
// address as GetIpAddrTable sorts them; loopback included when it is listed.
std::vector<std::string> GetIpv4Addresses();

// Whether the machine has a connection to the Internet configured (WinINet's
// InternetGetConnectedState).
bool GetInternetConnectedState();

}  // namespace tav::platform
