#include "net/transport_state.h"

#include "net/local_addresses.h"

namespace tav {

namespace {
std::atomic<int32_t> g_system_connect_ms{SystemTimeouts().connect_ms};
std::atomic<int32_t> g_system_read_ms{SystemTimeouts().read_ms};
}  // namespace

TransportState& Transport() {
  static TransportState state;
  return state;
}

SystemTimeouts GetSystemTimeouts() {
  return {g_system_connect_ms.load(), g_system_read_ms.load()};
}

void SetSystemTimeouts(const SystemTimeouts& timeouts) {
  g_system_connect_ms = timeouts.connect_ms;
  g_system_read_ms = timeouts.read_ms;
}

void ResetTransportState() {
  TransportState& s = Transport();
  s.indy_enabled = true;
  s.preconfigured_proxy_allowed = true;
  s.indy_success = s.indy_failure = s.indy_timeout = 0;
  s.indy_timeouts_mode = false;
  s.wininet_success = s.wininet_failure = s.wininet_timeout = 0;
  s.wininet_timeouts_mode = false;
  s.request_timeout_ms = 5000;
  s.forced_online = false;
  ForgetLocalAddressList();
}

}  // namespace tav
