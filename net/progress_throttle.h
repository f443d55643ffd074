// Decides which progress positions of a transfer are worth handing to the
// main thread: about one every 50 ms or per 1 % of the total, and always the
// last one. A synchronous hand-over on every block would cost the transfer
// most of its speed.
#pragma once

#include <cstdint>

namespace tav {

class ProgressThrottle {
 public:
  // True when this position should be reported now.
  bool ShouldReport(int64_t position, int64_t total);

 private:
  uint64_t last_tick_ = 0;
  int64_t last_position_ = -1;
  bool reported_any_ = false;
};

}  // namespace tav
