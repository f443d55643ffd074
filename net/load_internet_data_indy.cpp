// The primary ("Indy") stack: XInternet::LoadInternetDataIndy. A failed
// transfer is handed to the secondary stack, resuming from what the stream
// holds, until the counters say the primary stack is to be given up.
#include <string>

#include "core/log_engine.h"
#include "core/text_utils.h"
#include "net/indy_client.h"
#include "net/internet.h"
#include "net/local_addresses.h"
#include "net/package_path.h"
#include "net/proxy_settings.h"
#include "net/service_hosts.h"
#include "net/transport_state.h"

namespace tav {

namespace {

constexpr std::string_view kRoutine = "XInternet.LoadInternetDataIndy";
constexpr int kDefaultProxyPort = 8080;

std::string IndyTimeout() {
  return ", IndyTimeout" + std::to_string(Transport().indy_timeout);
}

void ConfigureClient(IndyHttpClient& client,
                     std::string_view agent,
                     const TransferProgress& progress) {
  const ProxySettings proxy = ReadProxySettings();
  if (proxy.use_proxy) {
    client.proxy_server = proxy.address;
    client.proxy_port = static_cast<int>(StrToIntDef(proxy.port, kDefaultProxyPort));
    client.proxy_user = proxy.login;
    client.proxy_password = proxy.password;
  }
  TransportState& state = Transport();
  if (!state.indy_timeouts_mode && state.indy_timeout >= 3) {
    state.indy_timeouts_mode = true;
    XLog::Log(kRoutine, "Switch to timeouts");
  }
  if (state.indy_timeouts_mode) {
    client.read_timeout_ms = client.connect_timeout_ms = state.request_timeout_ms;
  }
  client.max_redirects = 10;
  client.agent = agent;
  client.progress = progress;
}

void CountTimeout(const IndyResult& result) {
  ++Transport().indy_timeout;
  XLog::Error(kRoutine, "Timeout: " + result.message + IndyTimeout());
}

// The expected size of a package, from a HEAD request; a failure here does
// not stop the GET.
void AskExpectedSize(IndyHttpClient& client, const std::string& url) {
  const IndyResult head = client.Head(url);
  if (head.answered) {
    --Transport().indy_timeout;
    if (head.response_code == 200) {
      client.expected_size = head.content_length;
    } else {
      XLog::Error(kRoutine, "Head ResponseCore=" + std::to_string(head.response_code));
    }
  } else if (head.error == IndyError::kReadTimeout) {
    CountTimeout(head);
  } else {
    XLog::Error(kRoutine, "Head common error: " + head.message + IndyTimeout());
  }
}

void SetKeepDownloading(IndyHttpClient& client, TransferStream& stream) {
  const int64_t size = stream.Size();
  if (size > 0 && client.expected_size > 0 && client.expected_size > size) {
    XLog::Log("XInternet.LoadInternetDataIndy.SetKeepDownloading",
              "Continue previous downloading, Data.Size=" + std::to_string(size));
    client.range_from = size;
    stream.SetPosition(size);
    client.resume_offset = size;
    return;
  }
  client.range_from = -1;
  client.resume_offset = 0;
  stream.SetPosition(0);
}

// The GET, once more after the server closed the connection. An error that
// is not handled here is returned to the caller as Indy would raise it.
IndyResult GetDocument(IndyHttpClient& client, const std::string& url, TransferStream& stream) {
  IndyResult get = client.Get(url, stream);
  if (get.answered)
    --Transport().indy_timeout;
  if (get.error == IndyError::kNone) {
    if (get.response_code != 200 && get.response_code != 206) {
      XLog::Error(kRoutine, "Get 1 ResponseCore=" + std::to_string(get.response_code));
    }
    return get;
  }
  if (get.error == IndyError::kReadTimeout) {
    CountTimeout(get);
    return IndyResult();
  }
  if (get.error != IndyError::kConnClosedGracefully)
    return get;
  XLog::Error(kRoutine, "EIdConnClosedGracefully");
  // Every request has a connection of its own: the closed one is gone with
  // its unread input, and the next GET starts on a fresh one.
  SetKeepDownloading(client, stream);
  get = client.Get(url, stream);
  if (get.answered)
    --Transport().indy_timeout;
  if (get.error == IndyError::kNone && get.response_code != 200) {
    XLog::Error(kRoutine, "Get 2 ResponseCore=" + std::to_string(get.response_code));
  }
  return get.error == IndyError::kNone ? IndyResult() : get;
}

// The outcome, judged by the size.
bool Judge(const IndyHttpClient& client, TransferStream& stream, const std::string& where) {
  TransportState& state = Transport();
  stream.SetPosition(0);
  const int64_t size = stream.Size();
  const bool success = client.expected_size > 0 ? size == client.expected_size : size > 0;
  const std::string sizes =
      "DataSize=" + std::to_string(client.expected_size) + " Data.Size=" + std::to_string(size);
  if (success) {
    ++state.indy_success;
    XLog::Log(kRoutine, "Success: " + where + ", " + sizes + IndyTimeout());
  } else if (client.cancelled) {
    XLog::Log(kRoutine, "Cancelled: " + sizes + " " + where);
  } else {
    XLog::Error(kRoutine, "Fail", 0, sizes + " " + where + IndyTimeout());
    ++state.indy_failure;
  }
  return success;
}

bool IsNameResolution(const IndyResult& result) {
  return StartsWith(result.message, "Socket Error # 11001") ||
         StartsWith(result.message, "Socket Error # 11002");
}

// A raised error, except a name resolution that has a fallback host.
void LogEscapedError(const IndyResult& error, const TransferStream& stream) {
  const std::string size = std::to_string(stream.Size());
  const std::string details = error.error_class + ": " + error.message;
  if (error.error == IndyError::kSocketError && IsNameResolution(error)) {
    XLog::Error(kRoutine, "IdHTTP.Get not resolved: " + size, 0, details);
    return;
  }
  if (error.error == IndyError::kProtocolError &&
      error.message.find("416", 1) != std::string::npos) {
    XLog::Error(kRoutine, "IdHTTP.Get wrong range: " + size, 0, details);
    return;
  }
  XLog::Error(kRoutine, "IdHTTP.Get fail: " + size, 0, details);
  ++Transport().indy_failure;
}

// After a failure: whether the primary stack is given up, and whether the
// same request goes to the secondary stack.
bool HandToWinInet(bool cancelled) {
  TransportState& state = Transport();
  if (!state.indy_enabled)
    return false;
  if (state.indy_success + state.indy_failure > 5 && state.indy_success == 0 &&
      state.wininet_success >= 1) {
    state.indy_enabled = false;
    XLog::Log(kRoutine, "Disabling Indy" + IndyTimeout());
    return false;
  }
  if (cancelled)
    return false;
  return !(state.wininet_success + state.wininet_failure >= 6 && state.wininet_success == 0);
}

}  // namespace

bool XInternet::LoadInternetDataIndy(std::string_view agent,
                                     std::string_view host,
                                     std::string_view path,
                                     TransferStream& stream,
                                     bool https,
                                     const TransferProgress& progress) {
  const std::string where = std::string(host) + std::string(path);
  XLog::Log(kRoutine, "begin with: " + where + ", IP:" + LocalAddressList());
  IndyHttpClient client;
  ConfigureClient(client, agent, progress);
  // A request line cannot carry a space; package names sometimes do.
  const std::string url =
      (https ? "https://" : "http://") + std::string(host) + ReplaceAll(path, " ", "%20");
  if (IsPackagePath(path))
    AskExpectedSize(client, url);
  SetKeepDownloading(client, stream);
  const IndyResult error = GetDocument(client, url, stream);
  bool success = false;
  if (error.error == IndyError::kNone) {
    success = Judge(client, stream, where);
  } else {
    stream.SetPosition(0);
    if (error.error == IndyError::kSocketError && IsNameResolution(error)) {
      const std::string fallback = FallbackHost(host);
      if (!fallback.empty()) {
        return LoadInternetDataIndy(agent, fallback, path, stream, https, progress);
      }
    }
    LogEscapedError(error, stream);
  }
  if (!success && HandToWinInet(client.cancelled)) {
    return LoadInternetData(agent, host, path, stream, https, progress, true);
  }
  return success;
}

}  // namespace tav
