// Byte counts for the progress callback, which takes signed 32-bit values:
// larger counts are held at the largest value rather than wrapping.
#pragma once

#include <cstdint>
#include <limits>

namespace tav {

inline int32_t ProgressValue(int64_t bytes) {
  constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(bytes > kLargest ? kLargest : bytes);
}

}  // namespace tav
