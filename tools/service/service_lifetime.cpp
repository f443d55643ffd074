#include "tools/service/service_lifetime.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace tav::service {

namespace {
std::atomic<bool> g_stopping{false};
}  // namespace

bool IsServiceStopping() {
  return g_stopping.load();
}
void SetServiceStopping() {
  g_stopping.store(true);
}

void SleepUnlessStopping(int ms) {
  using Clock = std::chrono::steady_clock;
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (!IsServiceStopping() && Clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace tav::service
