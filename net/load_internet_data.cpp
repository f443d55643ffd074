// The secondary ("WinINet") stack: XInternet::LoadInternetData. HTTPS and
// forced requests always come here; the rest only once the primary stack has
// failed them or has been given up.
#include <algorithm>
#include <string>

#include "core/log_engine.h"
#include "core/text_utils.h"
#include "net/internet.h"
#include "net/local_addresses.h"
#include "net/package_path.h"
#include "net/proxy_settings.h"
#include "net/service_hosts.h"
#include "net/transfer_progress_value.h"
#include "net/transport_state.h"
#include "net/wininet_calls.h"
#include "net/wininet_errors.h"
#include "platform/clock.h"

namespace tav {

namespace {

constexpr std::string_view kRoutine = "XInternet.LoadInternetData";
constexpr uint32_t kRetryPauseMs = 300;
constexpr size_t kBlockBytes = 8193;

// What one call works with, for the log lines.
struct Transfer {
  std::string agent, host, path;
  bool https = false;
  bool force = false;
  std::string where;      // host + path
  std::string addresses;  // the local address list
  int64_t expected = 0;   // Content-Length of a package, else 0
};

std::string Count(const std::atomic<int32_t>& counter) {
  return std::to_string(counter.load());
}

bool Failed(InternetHandles& handles) {
  XInternet::CloseInternet(&handles);
  ++Transport().wininet_failure;
  return false;
}

bool OpenRequest(const Transfer& t, InternetHandles& handles) {
  int32_t error = 0;
  handles.request =
      HttpOpenRequest(*handles.connection, ReplaceAll(t.path, " ", "%20"), t.https, &error);
  if (handles.request)
    return true;
  if (error == inet_error::kTimeout) {
    XLog::Log(kRoutine, "HttpOpenRequest timeout: " + t.where + ", IP:" + t.addresses);
  } else {
    XLog::Error(kRoutine, "HttpOpenRequest fail", error, "Path=" + t.where + ", IP:" + t.addresses);
  }
  return false;
}

void AddHeaders(InternetRequest& request) {
  for (const char* header : {"Pragma: no-cache", "Accept: */*", "Connection: Keep-Alive",
                             "Proxy-Connection: Keep-Alive"}) {
    XInternet::AddHttpHeader(request, header);
  }
}

bool SendAgainAfter(const char* what, InternetRequest& request, int32_t* error) {
  XLog::Log(kRoutine, what);
  platform::Sleep(kRetryPauseMs);
  return HttpSendRequest(request, error);
}

void LogSendFailure(const Transfer& t, int32_t error, const std::string& server_text) {
  if (error == inet_error::kCannotConnect) {
    XLog::Error(kRoutine, "HttpSendRequest fail 1: " + t.where + ", IP:" + t.addresses, error,
                "ERROR_INTERNET_CANNOT_CONNECT");
  } else if (error == inet_error::kTimeout) {
    XLog::Log(kRoutine, "HttpSendRequest timeout: " + t.where + ", ServerError: " + server_text +
                            ", IP:" + t.addresses);
    ++Transport().wininet_timeout;
  } else {
    XLog::Error(kRoutine, "HttpSendRequest fail 2: " + t.where, error,
                server_text + ", IP:" + t.addresses);
  }
}

// A status other than 200 is logged and the body read all the same, except
// that a 407 ends the call here, to be retried without the preconfigured
// proxy, and an error answer (400 and above) to a package request ends it as
// a failure: its body is an error page, never part of the package, even when
// its size is the size the server announced.
enum class StatusOutcome { kReadBody, kRetryDirect, kFailed };

StatusOutcome CheckStatus(const Transfer& t, InternetHandles& handles) {
  uint32_t code = 0;
  int32_t error = 0;
  if (!HttpQueryStatusCode(*handles.request, &code, &error)) {
    if (error != inet_error::kHeaderNotFound) {
      XLog::Error(kRoutine, "HttpQueryInfo HTTP_QUERY_STATUS_CODE fail: " + t.where, error);
    }
    return StatusOutcome::kReadBody;
  }
  const std::string proxy_line = "Status code fail 407 Proxy Authentication Required: " + t.where +
                                 ": " + std::to_string(code);
  if (code == 407 && ReadProxySettings().use_proxy) {
    XLog::Error(kRoutine, proxy_line);
  } else if (code == 407 && Transport().preconfigured_proxy_allowed) {
    Transport().preconfigured_proxy_allowed = false;
    XInternet::CloseInternet(&handles);
    XLog::Log(kRoutine, "407: disabling preconfig");
    return StatusOutcome::kRetryDirect;
  } else if (code == 407) {
    XLog::Error(kRoutine, proxy_line);
  } else if (code != 200) {
    XLog::Error(kRoutine, "Status code fail: " + t.where + ": " + std::to_string(code));
  }
  if (code >= 400 && IsPackagePath(t.path)) {
    XInternet::CloseInternet(&handles);
    return StatusOutcome::kFailed;
  }
  return StatusOutcome::kReadBody;
}

void ReadExpectedSize(Transfer& t, const InternetRequest& request) {
  if (!IsPackagePath(t.path))
    return;
  uint64_t length = 0;
  int32_t error = 0;
  if (HttpQueryContentLength(request, &length, &error)) {
    t.expected = static_cast<int64_t>(length);
  } else if (error != inet_error::kHeaderNotFound) {
    XLog::Error(kRoutine, "HttpQueryInfo HTTP_QUERY_CONTENT_LENGTH fail: " + t.where, error);
  }
}

void Resume(const Transfer& t, InternetRequest& request, TransferStream& stream) {
  const int64_t size = stream.Size();
  if (size <= 0)
    return;
  XLog::Log(kRoutine, "Continue previous downloading, Data.Size=" + std::to_string(size));
  int32_t error = 0;
  if (InternetSetFilePointer(request, size, &error)) {
    stream.SetPosition(size);
    return;
  }
  XLog::Error(kRoutine, "InternetSetFilePointer fail 1", error,
              "Data.Size=" + std::to_string(size) + ", IP:" + t.addresses);
  stream.SetPosition(0);
}

bool GoOn(const TransferProgress& progress, const TransferStream& stream, int64_t expected) {
  return !progress || progress(ProgressValue(stream.Size()), ProgressValue(expected));
}

// One read, and after a timeout a second one from the stream's end.
bool ReadBlock(const Transfer& t,
               InternetRequest& request,
               TransferStream& stream,
               char* buffer,
               size_t* got,
               int32_t* error) {
  if (InternetReadFile(request, buffer, kBlockBytes, got, error))
    return true;
  if (*error != inet_error::kTimeout)
    return false;
  platform::Sleep(kRetryPauseMs);
  const std::string size = std::to_string(stream.Size());
  XLog::Log(kRoutine, "InternetReadFile timeout first, Data.Size=" + size + ", IP:" + t.addresses);
  int32_t move_error = 0;
  if (!InternetSetFilePointer(request, stream.Size(), &move_error)) {
    XLog::Error(kRoutine, "InternetSetFilePointer fail 2", move_error,
                "Data.Size=" + size + ", IP:" + t.addresses +
                    ", WinInetTimeout=" + Count(Transport().wininet_timeout));
    return false;
  }
  // The read position is now the stream's end; the stream follows it there.
  stream.SetPosition(stream.Size());
  return InternetReadFile(request, buffer, kBlockBytes, got, error);
}

bool ReadFailed(const Transfer& t,
                InternetHandles& handles,
                const TransferStream& stream,
                int32_t error) {
  const std::string server_text = InternetGetLastResponseInfo(*handles.request);
  XInternet::CloseInternet(&handles);
  const std::string sizes =
      ", DataSize=" + std::to_string(t.expected) + ", Data.Size=" + std::to_string(stream.Size());
  const std::string timeouts = ", WinInetTimeout=" + Count(Transport().wininet_timeout);
  if (error == inet_error::kTimeout) {
    XLog::Log(kRoutine, "InternetReadFile timeout final: " + t.where + sizes +
                            ", ServerError: " + server_text + ", IP:" + t.addresses + timeouts);
    ++Transport().wininet_timeout;
  } else {
    XLog::Error(kRoutine, "InternetReadFile fail", error,
                "ServerError: " + server_text + sizes + ", IP:" + t.addresses + timeouts);
  }
  ++Transport().wininet_failure;
  return false;
}

bool Finished(const Transfer& t, InternetHandles& handles, TransferStream& stream) {
  TransportState& state = Transport();
  --state.wininet_timeout;
  stream.SetPosition(0);
  const int64_t size = stream.Size();
  const bool success = t.expected > 0 ? size == t.expected : size > 0;
  if (success) {
    XLog::Log(kRoutine, "Success: " + t.where + ", DataSize=" + std::to_string(t.expected) +
                            ", WinInetTimeout=" + Count(state.wininet_timeout));
    ++state.wininet_success;
  } else {
    XLog::Error(kRoutine, "Fail", 0,
                "DataSize=" + std::to_string(t.expected) + " Data.Size=" + std::to_string(size) +
                    ", WinInetTimeout=" + Count(state.wininet_timeout) + " " + t.where);
    ++state.wininet_failure;
  }
  XInternet::CloseInternet(&handles);
  return success;
}

bool Cancelled(const char* which, const Transfer& t, InternetHandles& handles) {
  XInternet::CloseInternet(&handles);
  XLog::Log(kRoutine, std::string(which) + t.where);
  return false;
}

bool ReadBody(const Transfer& t,
              InternetHandles& handles,
              TransferStream& stream,
              const TransferProgress& progress) {
  char buffer[kBlockBytes];
  for (;;) {
    size_t got = 0;
    int32_t error = 0;
    if (!ReadBlock(t, *handles.request, stream, buffer, &got, &error)) {
      return ReadFailed(t, handles, stream, error);
    }
    if (got > 0 && !stream.Write(buffer, got)) {
      XLog::Error(kRoutine, "Stream write fail", 0, t.where);
      return Failed(handles);
    }
    if (!GoOn(progress, stream, t.expected))
      return Cancelled("Cancelled 2: ", t, handles);
    if (got == 0)
      return Finished(t, handles, stream);
  }
}

}  // namespace

bool XInternet::LoadInternetData(std::string_view agent,
                                 std::string_view host,
                                 std::string_view path,
                                 TransferStream& stream,
                                 bool https,
                                 const TransferProgress& progress,
                                 bool force) {
  TransportState& state = Transport();
  if (state.indy_enabled && !https && !force) {
    return LoadInternetDataIndy(agent, host, path, stream, https, progress);
  }
  Transfer t;
  t.agent = agent;
  t.host = host;
  t.path = path;
  t.https = https;
  t.force = force;
  t.where = t.host + t.path;
  t.addresses = LocalAddressList();
  XLog::Log(kRoutine,
            "begin with: " + t.where + ", Force=" + BoolToStr(force) + ", IP:" + t.addresses);
  InternetHandles handles;
  if (!ConnectToInternet(agent, host, https, &handles)) {
    XLog::Error(kRoutine, "ConnectToInternet fail", handles.last_error, "Host=" + t.host);
    return Failed(handles);
  }
  if (!OpenRequest(t, handles))
    return Failed(handles);
  AddHeaders(*handles.request);
  int32_t error = 0;
  bool sent = HttpSendRequest(*handles.request, &error);
  if (!sent && error == inet_error::kNameNotResolved) {
    const std::string fallback = FallbackHost(host);
    if (!fallback.empty()) {
      CloseInternet(&handles);
      return LoadInternetData(agent, fallback, path, stream, https, progress, force);
    }
  }
  if (!sent && error == inet_error::kTimeout) {
    sent = SendAgainAfter("HttpSendRequest timeout", *handles.request, &error);
  }
  if (!sent && error == inet_error::kCannotConnect) {
    sent = SendAgainAfter("HttpSendRequest cannot connect", *handles.request, &error);
  }
  if (!sent) {
    const std::string server_text = InternetGetLastResponseInfo(*handles.request);
    CloseInternet(&handles);
    LogSendFailure(t, error, server_text);
    ++state.wininet_failure;
    return false;
  }
  --state.wininet_timeout;
  const StatusOutcome status = CheckStatus(t, handles);
  if (status == StatusOutcome::kRetryDirect)
    return LoadInternetData(agent, host, path, stream, https, progress, force);
  if (status == StatusOutcome::kFailed)
    return false;
  ReadExpectedSize(t, *handles.request);
  Resume(t, *handles.request, stream);
  if (!GoOn(progress, stream, t.expected))
    return Cancelled("Cancelled 1: ", t, handles);
  return ReadBody(t, handles, stream, progress);
}

}  // namespace tav
