#include "core/process_flags.h"

#include <atomic>

namespace tav {

namespace {
std::atomic<bool> g_stopping{false};
std::atomic<bool> g_application_terminated{false};
std::atomic<bool> g_force_stop_waiting{false};
std::atomic<StartMode> g_start_mode{StartMode::kWindowed};
}  // namespace

bool IsStopping() {
  return g_stopping.load(std::memory_order_relaxed);
}
void SetStopping() {
  g_stopping = true;
}

bool IsApplicationTerminated() {
  return g_application_terminated.load(std::memory_order_relaxed);
}
void SetApplicationTerminated() {
  g_application_terminated = true;
}

bool ForceStopWaiting() {
  return g_force_stop_waiting.load(std::memory_order_relaxed);
}
void SetForceStopWaiting(bool value) {
  g_force_stop_waiting = value;
}

StartMode GetStartMode() {
  return g_start_mode;
}
void SetStartMode(StartMode mode) {
  g_start_mode = mode;
}

}  // namespace tav
