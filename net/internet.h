// The HTTP transport (the utility class XInternet): every download from the
// maker's service goes through it. It fetches one URL (host + path, HTTP or
// HTTPS, GET only) into a stream, a file or text lines, over two stacks: the
// primary ("Indy") stack and the secondary ("WinINet") stack, both carried
// out over libcurl here, each with its own rules. Process-wide counters
// (net/transport_state.h) decide when the primary stack is given up and when
// explicit timeouts are imposed. A download into a file goes through a
// ".downloading" file and resumes an interrupted earlier attempt; a host
// whose name cannot be resolved is tried once more under its fallback
// (net/service_hosts.h).
//
// No operation throws; failures are logged and answered false. Any thread
// may call; each call has its own connection.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/transfer_stream.h"

namespace tav {

// (bytes in the target stream, expected size or 0 and less when unknown) →
// whether to go on. Called on the transfer's thread after every block.
using TransferProgress = std::function<bool(int32_t position, int32_t total)>;

inline constexpr std::string_view kServiceAgent = "Kelvorad NextGen (compatible; Indy Library)";
inline constexpr std::string_view kBrowserAgent = "Mozilla/5.0 (compatible; Indy Library)";

struct InternetSession;
struct InternetConnection;
struct InternetRequest;

// The open, connection and request handles of one secondary-stack transfer.
struct InternetHandles {
  InternetHandles();
  ~InternetHandles();
  std::unique_ptr<InternetSession> open;
  std::unique_ptr<InternetConnection> connection;
  std::unique_ptr<InternetRequest> request;
  int32_t last_error = 0;
};

class XInternet {
 public:
  // Fetches http(s)://host + path into the stream, after what it holds when
  // resuming. True when the transfer completed with the expected size. The
  // stream's position is 0 on return.
  static bool LoadInternetData(std::string_view agent,
                               std::string_view host,
                               std::string_view path,
                               TransferStream& stream,
                               bool https,
                               const TransferProgress& progress,
                               bool force);
  // The primary stack's half of LoadInternetData.
  static bool LoadInternetDataIndy(std::string_view agent,
                                   std::string_view host,
                                   std::string_view path,
                                   TransferStream& stream,
                                   bool https,
                                   const TransferProgress& progress);
  // Downloads into a file through file_name + ".downloading", with resume.
  static bool LoadInternetFile(std::string_view agent,
                               std::string_view host,
                               std::string_view path,
                               int32_t timeout_ms,
                               const TransferProgress& progress,
                               bool https,
                               std::string_view file_name);
  // Downloads into memory and splits the text into lines (cleared on
  // failure); true when there is at least one line.
  static bool LoadInternetPage(std::string_view agent,
                               std::string_view host,
                               std::string_view path,
                               int32_t timeout_ms,
                               const TransferProgress& progress,
                               bool https,
                               std::vector<std::string>* lines);

  // The secondary stack's helpers.
  static bool ConnectToInternet(std::string_view agent,
                                std::string_view host,
                                bool https,
                                InternetHandles* handles);
  static void CloseInternet(InternetHandles* handles);
  static bool AddHttpHeader(InternetRequest& request, std::string_view header);
};

// Splits a full URL and calls XInternet::LoadInternetPage with the browser agent.
bool LoadInternetPageByUrl(std::string_view url,
                           std::vector<std::string>* lines,
                           int32_t timeout_ms,
                           const TransferProgress& progress);

}  // namespace tav
