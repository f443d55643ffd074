#include "drivers/progress_caption.h"

#include <cinttypes>
#include <cstdio>

namespace tav {

namespace {

constexpr int64_t kLargestKilobyteCaption = 1048576;

}  // namespace

std::string ProgressCaption(int64_t bytes) {
  char text[64];
  if (bytes <= kLargestKilobyteCaption) {
    std::snprintf(text, sizeof text, "%" PRId64 " KB", bytes / 1024);
  } else {
    std::snprintf(text, sizeof text, "%8.2f MB", static_cast<double>(bytes) / 1048576.0);
  }
  return text;
}

}  // namespace tav
