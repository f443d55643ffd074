#include "net/wininet_calls.h"

#include <atomic>

#include "core/text_utils.h"
#include "net/transport_state.h"
#include "net/wininet_errors.h"
#include "platform/text.h"
#include "platform/win_errors.h"

namespace tav {

namespace {

std::atomic<uint32_t> g_connected_state{kInternetStateConnected};
std::atomic<int32_t> g_max_connections{2};
std::atomic<int32_t> g_max_connections_http10{4};

bool Refuse(int32_t code, int32_t* error) {
  *error = code;
  return false;
}

int32_t ErrorOf(HttpFailure failure) {
  switch (failure) {
    case HttpFailure::kNone:
      return 0;
    case HttpFailure::kBadUrl:
      return inet_error::kInvalidUrl;
    case HttpFailure::kNameNotResolved:
      return inet_error::kNameNotResolved;
    case HttpFailure::kCannotConnect:
      return inet_error::kCannotConnect;
    case HttpFailure::kConnectTimeout:
    case HttpFailure::kReadTimeout:
      return inet_error::kTimeout;
    case HttpFailure::kClosedEarly:
      return inet_error::kInvalidServerResponse;
    case HttpFailure::kConnectionReset:
      return inet_error::kConnectionReset;
    case HttpFailure::kSecure:
      return inet_error::kSecureFailure;
    case HttpFailure::kCancelled:
      return inet_error::kOperationCancelled;
    case HttpFailure::kOther:
      break;
  }
  return inet_error::kInternalError;
}

int32_t OrSystem(int32_t ms, int32_t system_ms) {
  return ms > 0 ? ms : system_ms;
}

ProxyMode ProxyModeOf(InternetAccess access) {
  switch (access) {
    case InternetAccess::kDirect:
      return ProxyMode::kDirect;
    case InternetAccess::kNamedProxy:
      return ProxyMode::kNamed;
    case InternetAccess::kPreconfig:
      break;
  }
  return ProxyMode::kSystem;
}

HttpRequestOptions RequestOptions(const InternetConnection& connection, const std::string& url) {
  const InternetSession& session = *connection.session;
  const SystemTimeouts system = GetSystemTimeouts();
  HttpRequestOptions options;
  options.url = url;
  options.agent = session.agent;
  options.proxy_mode = ProxyModeOf(session.access);
  options.proxy = session.proxy;
  options.proxy_user = connection.user;
  options.proxy_password = connection.password;
  options.connect_timeout_ms = OrSystem(session.connect_timeout_ms, system.connect_ms);
  options.read_timeout_ms = OrSystem(session.receive_timeout_ms, system.read_ms);
  return options;
}

// A header line replaces one of the same name (HTTP_ADDREQ_FLAG_REPLACE).
void PutHeader(std::vector<std::string>& headers, const std::string& line) {
  const std::string name = ToLowerAscii(line.substr(0, line.find(':')));
  std::erase_if(headers, [&name](const std::string& existing) {
    return ToLowerAscii(existing.substr(0, existing.find(':'))) == name;
  });
  headers.push_back(line);
}

}  // namespace

std::unique_ptr<InternetSession> InternetOpen(std::string_view agent,
                                              InternetAccess access,
                                              std::string_view proxy,
                                              int32_t* error) {
  if (access == InternetAccess::kNamedProxy && proxy.empty()) {
    *error = win_error::kInvalidParameter;
    return nullptr;
  }
  auto session = std::make_unique<InternetSession>();
  session->agent = agent;
  session->access = access;
  session->proxy = proxy;
  return session;
}

bool InternetSetTimeout(InternetSession& session,
                        InternetTimeout which,
                        int32_t ms,
                        int32_t* error) {
  if (ms < 0)
    return Refuse(win_error::kInvalidParameter, error);
  int32_t& target = which == InternetTimeout::kConnect ? session.connect_timeout_ms
                    : which == InternetTimeout::kSend  ? session.send_timeout_ms
                                                       : session.receive_timeout_ms;
  target = ms;
  return true;
}

// Each request has its own connection here, so the limits are only kept.
bool InternetSetMaxConnections(bool http10, int32_t count, int32_t* error) {
  if (count < 1)
    return Refuse(win_error::kInvalidParameter, error);
  (http10 ? g_max_connections_http10 : g_max_connections) = count;
  return true;
}

bool InternetQueryConnectedState(uint32_t* state, int32_t*) {
  *state = g_connected_state.load();
  return true;
}

bool InternetSetConnectedState(uint32_t state, int32_t* error) {
  if (state != kInternetStateConnected && state != kInternetStateDisconnected &&
      state != kInternetStateDisconnectedByUser) {
    return Refuse(win_error::kInvalidParameter, error);
  }
  g_connected_state = state;
  return true;
}

std::unique_ptr<InternetConnection> InternetConnect(const InternetSession& session,
                                                    std::string_view host,
                                                    int port,
                                                    std::string_view user,
                                                    std::string_view password,
                                                    int32_t* error) {
  if (host.empty()) {
    *error = inet_error::kInvalidUrl;
    return nullptr;
  }
  auto connection = std::make_unique<InternetConnection>();
  connection->session = &session;
  connection->host = host;
  connection->port = port;
  connection->user = user;
  connection->password = password;
  return connection;
}

std::unique_ptr<InternetRequest> HttpOpenRequest(const InternetConnection& connection,
                                                 std::string_view path,
                                                 bool secure,
                                                 int32_t* error) {
  const bool has_port = connection.host.find(':') != std::string::npos;
  const std::string authority =
      has_port ? connection.host : connection.host + ":" + std::to_string(connection.port);
  const std::string url = (secure ? "https://" : "http://") + authority + std::string(path);
  if (!IsValidUrl(url)) {
    *error = inet_error::kInvalidUrl;
    return nullptr;
  }
  auto request = std::make_unique<InternetRequest>();
  request->connection = &connection;
  request->options = RequestOptions(connection, url);
  return request;
}

bool HttpAddRequestHeaders(InternetRequest& request, std::string_view headers, int32_t* error) {
  bool any = false;
  for (const std::string& line : Split(ReplaceAll(headers, "\r\n", "\n"), '\n')) {
    if (line.find(':') == std::string::npos)
      continue;
    PutHeader(request.options.headers, line);
    any = true;
  }
  return any || Refuse(win_error::kInvalidParameter, error);
}

bool HttpSendRequest(InternetRequest& request, int32_t* error) {
  if (g_connected_state.load() != kInternetStateConnected) {
    return Refuse(inet_error::kDisconnected, error);
  }
  request.http = std::make_unique<HttpRequest>(request.options);
  request.read_position = 0;
  if (!request.http->Send()) {
    request.response_info = request.http->error_text();
    return Refuse(ErrorOf(request.http->failure()), error);
  }
  request.status = request.http->status();
  request.content_length = request.http->content_length();
  return true;
}

bool HttpQueryStatusCode(const InternetRequest& request, uint32_t* code, int32_t* error) {
  if (request.status <= 0)
    return Refuse(inet_error::kHeaderNotFound, error);
  *code = static_cast<uint32_t>(request.status);
  return true;
}

bool HttpQueryContentLength(const InternetRequest& request, uint64_t* length, int32_t* error) {
  if (request.content_length < 0)
    return Refuse(inet_error::kHeaderNotFound, error);
  *length = static_cast<uint64_t>(request.content_length);
  return true;
}

bool InternetSetFilePointer(InternetRequest& request, int64_t position, int32_t* error) {
  if (!request.http)
    return Refuse(inet_error::kInvalidOperation, error);
  const bool healthy = request.http->failure() == HttpFailure::kNone;
  if (healthy && position == request.read_position)
    return true;
  HttpRequestOptions options = request.options;
  options.range_from = position;
  auto ranged = std::make_unique<HttpRequest>(options);
  if (!ranged->Send()) {
    request.response_info = ranged->error_text();
    return Refuse(ErrorOf(ranged->failure()), error);
  }
  if (ranged->status() != 206 || ranged->range_start() != position) {
    request.response_info =
        "no part from byte " + std::to_string(position) + ": " + ranged->status_line();
    return Refuse(inet_error::kInvalidOperation, error);
  }
  request.http = std::move(ranged);
  request.read_position = position;
  return true;
}

bool InternetReadFile(InternetRequest& request,
                      char* buffer,
                      size_t size,
                      size_t* read,
                      int32_t* error) {
  *read = 0;
  if (!request.http)
    return Refuse(inet_error::kInvalidOperation, error);
  if (request.http->Read(buffer, size, read)) {
    request.read_position += static_cast<int64_t>(*read);
    return true;
  }
  if (request.http->failure() == HttpFailure::kClosedEarly)
    return true;
  request.response_info = request.http->error_text();
  return Refuse(ErrorOf(request.http->failure()), error);
}

std::string InternetGetLastResponseInfo(const InternetRequest& request) {
  return request.response_info;
}

}  // namespace tav
