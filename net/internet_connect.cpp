// The secondary stack's session handling: XInternet::ConnectToInternet,
// XInternet::CloseInternet and XInternet::AddHttpHeader.
#include "core/log_engine.h"
#include "net/internet.h"
#include "net/proxy_settings.h"
#include "net/transport_state.h"
#include "net/wininet_calls.h"

namespace tav {

namespace {

constexpr std::string_view kConnectRoutine = "XInternet.ConnectToInternet";
constexpr int32_t kMaxConnections = 100;

InternetAccess AccessFor(const ProxySettings& proxy) {
  if (proxy.use_proxy)
    return InternetAccess::kNamedProxy;
  return Transport().preconfigured_proxy_allowed ? InternetAccess::kPreconfig
                                                 : InternetAccess::kDirect;
}

void ImposeTimeouts(InternetSession& session) {
  TransportState& state = Transport();
  if (!state.wininet_timeouts_mode && state.wininet_timeout >= 3) {
    state.wininet_timeouts_mode = true;
    XLog::Log(kConnectRoutine, "Switch to Timeouts");
  }
  if (!state.wininet_timeouts_mode)
    return;
  const int32_t timeout = state.request_timeout_ms;
  const std::pair<InternetTimeout, const char*> options[] = {
      {InternetTimeout::kConnect, "InternetSetOption INTERNET_OPTION_CONNECT_TIMEOUT fail"},
      {InternetTimeout::kSend, "InternetSetOption INTERNET_OPTION_SEND_TIMEOUT fail"},
      {InternetTimeout::kReceive, "InternetSetOption INTERNET_OPTION_RECEIVE_TIMEOUT fail"}};
  for (const auto& [option, message] : options) {
    int32_t error = 0;
    if (!InternetSetTimeout(session, option, timeout, &error)) {
      XLog::Error(kConnectRoutine, message, error, "TimeOut=" + std::to_string(timeout));
    }
  }
}

void RaiseConnectionLimits() {
  int32_t error = 0;
  if (!InternetSetMaxConnections(false, kMaxConnections, &error)) {
    XLog::Error(kConnectRoutine, "InternetSetOption INTERNET_OPTION_MAX_CONNS_PER_SERVER fail",
                error, "MaxConn=" + std::to_string(kMaxConnections));
  }
  if (!InternetSetMaxConnections(true, kMaxConnections, &error)) {
    XLog::Error(kConnectRoutine, "InternetSetOption INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER fail",
                error, "MaxConn=" + std::to_string(kMaxConnections));
  }
}

// A system switched to offline work is put online for the transfer, and
// back by CloseInternet.
void GoOnline() {
  TransportState& state = Transport();
  state.forced_online = false;
  uint32_t connected = 0;
  int32_t error = 0;
  if (!InternetQueryConnectedState(&connected, &error)) {
    XLog::Error(kConnectRoutine, "InternetQueryOption fail", error);
    return;
  }
  if ((connected & (kInternetStateDisconnected | kInternetStateDisconnectedByUser)) == 0)
    return;
  if (!InternetSetConnectedState(kInternetStateConnected, &error)) {
    XLog::Error(kConnectRoutine, "InternetSetOption fail", error);
    return;
  }
  state.forced_online = true;
}

}  // namespace

InternetHandles::InternetHandles() = default;
InternetHandles::~InternetHandles() = default;

bool XInternet::ConnectToInternet(std::string_view agent,
                                  std::string_view host,
                                  bool https,
                                  InternetHandles* handles) {
  const ProxySettings proxy = ReadProxySettings();
  const std::string proxy_text = proxy.use_proxy ? proxy.address + ":" + proxy.port : "";
  handles->open = InternetOpen(agent, AccessFor(proxy), proxy_text, &handles->last_error);
  if (!handles->open) {
    XLog::Error(kConnectRoutine, "InternetOpen fail", handles->last_error,
                "Agent=" + std::string(agent));
    return false;
  }
  ImposeTimeouts(*handles->open);
  RaiseConnectionLimits();
  handles->connection =
      InternetConnect(*handles->open, host, https ? 443 : 80, proxy.use_proxy ? proxy.login : "",
                      proxy.use_proxy ? proxy.password : "", &handles->last_error);
  if (!handles->connection) {
    XLog::Error(kConnectRoutine, "InternetConnect fail", handles->last_error,
                "Host=" + std::string(host));
    handles->open.reset();
    return false;
  }
  GoOnline();
  return true;
}

void XInternet::CloseInternet(InternetHandles* handles) {
  handles->request.reset();
  handles->connection.reset();
  handles->open.reset();
  if (!Transport().forced_online)
    return;
  int32_t error = 0;
  if (!InternetSetConnectedState(kInternetStateDisconnectedByUser, &error)) {
    XLog::Error("XInternet.CloseInternet", "InternetSetOption fail", error);
  }
}

bool XInternet::AddHttpHeader(InternetRequest& request, std::string_view header) {
  int32_t error = 0;
  if (HttpAddRequestHeaders(request, std::string(header) + "\r\n", &error))
    return true;
  XLog::Error("XInternet.AddHttpHeader", "HttpAddRequestHeaders fail", error, header);
  return false;
}

}  // namespace tav
