#include "net/indy_client.h"

#include "core/text_utils.h"
#include "net/http_request.h"
#include "net/transfer_progress_value.h"
#include "net/transport_state.h"

namespace tav {

namespace {

// Large blocks keep the per-block work (a write and a progress call) small
// next to the transfer itself.
constexpr long kIndyBufferBytes = 256 * 1024;

IndyResult Raised(IndyError error, const char* error_class, std::string message) {
  IndyResult result;
  result.error = error;
  result.error_class = error_class;
  result.message = std::move(message);
  return result;
}

// Indy's exception for a failed transfer.
IndyResult ResultOf(const HttpRequest& request) {
  switch (request.failure()) {
    case HttpFailure::kNone:
    case HttpFailure::kCancelled:
      break;
    case HttpFailure::kReadTimeout:
      return Raised(IndyError::kReadTimeout, "EIdReadTimeout", "Read timed out.");
    case HttpFailure::kClosedEarly:
      return Raised(IndyError::kConnClosedGracefully, "EIdConnClosedGracefully",
                    "Connection Closed Gracefully.");
    case HttpFailure::kNameNotResolved:
      return Raised(IndyError::kSocketError, "EIdSocketError",
                    "Socket Error # 11001 Host not found.");
    case HttpFailure::kCannotConnect:
      return Raised(IndyError::kSocketError, "EIdSocketError",
                    "Socket Error # 10061 Connection refused.");
    case HttpFailure::kConnectionReset:
      return Raised(IndyError::kSocketError, "EIdSocketError",
                    "Socket Error # 10054 Connection reset by peer.");
    case HttpFailure::kConnectTimeout:
      return Raised(IndyError::kOther, "EIdConnectTimeout", "Connect timed out.");
    default:
      return Raised(IndyError::kOther, "EIdException", request.error_text());
  }
  IndyResult result;
  result.answered = request.status() > 0;
  result.response_code = request.status();
  result.content_length = request.content_length();
  return result;
}

HttpRequestOptions ClientOptions(const IndyHttpClient& client, const std::string& url) {
  const SystemTimeouts system = GetSystemTimeouts();
  HttpRequestOptions options;
  options.url = url;
  options.agent = client.agent;
  options.headers = {"Accept: text/html, */*", "Connection: keep-alive"};
  if (!client.proxy_server.empty()) {
    options.proxy_mode = ProxyMode::kNamed;
    options.proxy = client.proxy_server + ":" + std::to_string(client.proxy_port);
    options.proxy_user = client.proxy_user;
    options.proxy_password = client.proxy_password;
  }
  options.max_redirects = client.max_redirects;
  options.connect_timeout_ms =
      client.connect_timeout_ms > 0 ? client.connect_timeout_ms : system.connect_ms;
  options.read_timeout_ms = client.read_timeout_ms > 0 ? client.read_timeout_ms : system.read_ms;
  options.buffer_size = kIndyBufferBytes;
  return options;
}

}  // namespace

bool IndyHttpClient::OnWork(int64_t work) {
  if (!progress)
    return true;
  if (progress(ProgressValue(resume_offset + work), ProgressValue(expected_size)))
    return true;
  cancelled = true;
  return false;
}

IndyResult IndyHttpClient::Head(const std::string& url) {
  HttpRequestOptions options = ClientOptions(*this, url);
  options.head = true;
  HttpRequest request(options);
  request.Send();
  return ResultOf(request);
}

IndyResult IndyHttpClient::Get(const std::string& url, TransferStream& stream) {
  HttpRequestOptions options = ClientOptions(*this, url);
  options.range_from = range_from;
  HttpRequest request(options);
  int64_t work = 0;
  bool first = true;
  const HttpRequest::BodySink sink = [&](const char* data, size_t size) {
    if (request.status() >= 400)
      return true;  // the error text, not the document
    // A server that ignores the range sends the whole document.
    if (first && range_from >= 0 && request.status() == 200) {
      stream.SetPosition(0);
      resume_offset = 0;
    }
    first = false;
    if (!stream.Write(data, size))
      return false;
    work += static_cast<int64_t>(size);
    return OnWork(work);
  };
  request.Receive(sink);
  IndyResult result = ResultOf(request);
  if (result.error == IndyError::kNone && result.response_code >= 400) {
    result.error = IndyError::kProtocolError;
    result.error_class = "EIdHTTPProtocolException";
    result.message = request.status_line();
  }
  return result;
}

}  // namespace tav
