#include "net/progress_throttle.h"

#include "platform/clock.h"

namespace tav {

bool ProgressThrottle::ShouldReport(int64_t position, int64_t total) {
  const uint64_t now = platform::GetTickCount64();
  const bool last = total > 0 && position >= total;
  const bool step = total > 0 && position - last_position_ >= total / 100;
  if (reported_any_ && !last && !step && now - last_tick_ < 50) return false;
  if (position == last_position_ && reported_any_) return false;
  reported_any_ = true;
  last_tick_ = now;
  last_position_ = position;
  return true;
}

}  // namespace tav
