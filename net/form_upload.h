// One file sent to the service as a multipart form POST, the way the two
// reports send theirs: plain HTTP, the HTTP client's own user agent, no
// proxy. The answer is read and dropped.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// The HTTP client's user agent when none is set.
inline constexpr std::string_view kClientDefaultAgent = "Mozilla/3.0 (compatible; Indy Library)";

// True when the service answered below 400. Waits are bounded (the request's
// connect and read timeouts), so a silent service cannot hold a thread for
// ever.
bool PostFormFile(std::string_view host,
                  std::string_view path,
                  std::string_view part_name,
                  std::string_view file_name,
                  std::string content);

}  // namespace tav
