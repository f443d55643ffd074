// The maker's hosts: the service host (database check, packages, statistics),
// the download host (snapshot uploads) and the host fallback table used when
// a name cannot be resolved. Read from the settings key at program entry:
//
//   ServiceHost    "host[:port]", default "service.tavrolin.com"
//   DownloadHost   "host[:port]", default "download.tavrolin.com"
//   HostFallbacks  "name=replacement;..." replacing the whole table
//
// The built-in table: service host → first service address → second service
// address, and download host → download address.
#pragma once

#include <string>
#include <string_view>

namespace tav {

inline constexpr std::string_view kDefaultServiceHost = "service.tavrolin.com";
inline constexpr std::string_view kDefaultDownloadHost = "download.tavrolin.com";
inline constexpr std::string_view kFirstServiceAddress = "198.51.100.24";
inline constexpr std::string_view kSecondServiceAddress = "198.51.100.25";
inline constexpr std::string_view kDownloadAddress = "198.51.100.40";

// Reads the three values again (program entry; tests after changing them).
void LoadServiceHosts();
std::string ServiceHost();
std::string DownloadHost();
// The host to try instead when host cannot be resolved; empty when the table
// has no row for it. Host names compare without regard to letter case.
std::string FallbackHost(std::string_view host);

}  // namespace tav
