// The WinINet calls of the secondary stack, carried out over libcurl: an open
// handle (agent, proxy access, timeouts), a connection handle (host), a
// request handle (one GET). Failures return false with the WinINet error code.
//
// Where this differs from the system's library, by necessity:
// - a host text may carry ":port", which then wins over 80 / 443;
// - the preconfigured proxy is the system's proxy environment variables;
// - moving the read position opens a new request for the bytes from there
//   (a Range request), which fails when the server cannot answer a part;
// - a server that closes the connection early ends the body like its end;
//   the caller judges the size.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/http_request.h"

namespace tav {

enum class InternetAccess { kPreconfig = 0, kDirect = 1, kNamedProxy = 3 };
enum class InternetTimeout { kConnect, kSend, kReceive };

// Connected states of INTERNET_OPTION_CONNECTED_STATE.
inline constexpr uint32_t kInternetStateConnected = 1;
inline constexpr uint32_t kInternetStateDisconnected = 2;
inline constexpr uint32_t kInternetStateDisconnectedByUser = 0x10;

struct InternetSession {
  std::string agent;
  InternetAccess access = InternetAccess::kPreconfig;
  std::string proxy;
  int32_t connect_timeout_ms = 0;  // 0: the system's own
  int32_t send_timeout_ms = 0;
  int32_t receive_timeout_ms = 0;
};

struct InternetConnection {
  const InternetSession* session = nullptr;
  std::string host;
  int port = 80;
  std::string user, password;
};

struct InternetRequest {
  const InternetConnection* connection = nullptr;
  HttpRequestOptions options;
  std::unique_ptr<HttpRequest> http;
  int status = 0;  // of the answer to the send
  int64_t content_length = -1;
  int64_t read_position = 0;  // of the body, from its start
  std::string response_info;  // the last failure's text
};

std::unique_ptr<InternetSession> InternetOpen(std::string_view agent,
                                              InternetAccess access,
                                              std::string_view proxy,
                                              int32_t* error);
bool InternetSetTimeout(InternetSession& session,
                        InternetTimeout which,
                        int32_t ms,
                        int32_t* error);
// The process-wide connection limits (per server, per HTTP/1.0 server).
bool InternetSetMaxConnections(bool http10, int32_t count, int32_t* error);
bool InternetQueryConnectedState(uint32_t* state, int32_t* error);
bool InternetSetConnectedState(uint32_t state, int32_t* error);

std::unique_ptr<InternetConnection> InternetConnect(const InternetSession& session,
                                                    std::string_view host,
                                                    int port,
                                                    std::string_view user,
                                                    std::string_view password,
                                                    int32_t* error);
std::unique_ptr<InternetRequest> HttpOpenRequest(const InternetConnection& connection,
                                                 std::string_view path,
                                                 bool secure,
                                                 int32_t* error);
bool HttpAddRequestHeaders(InternetRequest& request, std::string_view headers, int32_t* error);
bool HttpSendRequest(InternetRequest& request, int32_t* error);
bool HttpQueryStatusCode(const InternetRequest& request, uint32_t* code, int32_t* error);
bool HttpQueryContentLength(const InternetRequest& request, uint64_t* length, int32_t* error);
bool InternetSetFilePointer(InternetRequest& request, int64_t position, int32_t* error);
bool InternetReadFile(InternetRequest& request,
                      char* buffer,
                      size_t size,
                      size_t* read,
                      int32_t* error);
std::string InternetGetLastResponseInfo(const InternetRequest& request);

}  // namespace tav
