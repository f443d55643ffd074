// The transport's process-wide state: which stack is tried first, the
// counters that decide when the primary stack is given up and when explicit
// timeouts are imposed, the request timeout. One set per process, shared by
// every thread without a lock (the counters are heuristics; each value is
// atomic only so that concurrent updates are well defined).
#pragma once

#include <atomic>
#include <cstdint>

namespace tav {

struct TransportState {
  std::atomic<bool> indy_enabled{true};
  std::atomic<bool> preconfigured_proxy_allowed{true};
  std::atomic<int32_t> indy_success{0};
  std::atomic<int32_t> indy_failure{0};
  std::atomic<int32_t> indy_timeout{0};
  std::atomic<bool> indy_timeouts_mode{false};
  std::atomic<int32_t> wininet_success{0};
  std::atomic<int32_t> wininet_failure{0};
  std::atomic<int32_t> wininet_timeout{0};
  std::atomic<bool> wininet_timeouts_mode{false};
  std::atomic<int32_t> request_timeout_ms{5000};
  std::atomic<bool> forced_online{false};
};

TransportState& Transport();

// The waits a connection gets outside the timeouts modes, where the program
// sets none and the system's own apply. Tests shorten them.
struct SystemTimeouts {
  int32_t connect_ms = 21000;
  int32_t read_ms = 30000;
};
SystemTimeouts GetSystemTimeouts();
void SetSystemTimeouts(const SystemTimeouts& timeouts);

// The state of a new process: for tests that run several scenarios in one
// process. Also forgets the cached local address list.
void ResetTransportState();

}  // namespace tav
