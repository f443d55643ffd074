// One file sent to the service as a multipart form POST, the way the two
// reports send theirs: plain HTTP, the HTTP client's own user agent, no
// proxy. The answer is read and dropped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tav {

// The HTTP client's user agent when none is set.
inline constexpr std::string_view kClientDefaultAgent = "Mozilla/3.0 (compatible; Indy Library)";

// How long a report may wait to connect, and then for the service's next
// bytes: a silent service cannot hold a report thread for ever, and a
// program that waits for its reports at exit knows how long at most.
inline constexpr int32_t kReportTimeoutMs = 10000;
inline constexpr uint32_t kReportWaitMs = 2 * kReportTimeoutMs + 1000;

// True when the service answered with a success status (2xx). Redirects are
// not followed: the client would turn the POST into a GET without the file,
// and an answer to that is no proof the report arrived.
bool PostFormFile(std::string_view host,
                  std::string_view path,
                  std::string_view part_name,
                  std::string_view file_name,
                  std::string content);

}  // namespace tav
