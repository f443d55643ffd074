#include "drivers/download_slots.h"

#include "core/settings.h"

namespace tav {

namespace {

int32_t g_active = 0;
int32_t g_limit = DownloadSlots::kDefaultLimit;

}  // namespace

bool DownloadSlots::TryTake() {
  if (g_active >= g_limit)
    return false;
  ++g_active;
  return true;
}

void DownloadSlots::Release() {
  if (g_active > 0)
    --g_active;
}

int32_t DownloadSlots::ActiveCount() {
  return g_active;
}

int32_t DownloadSlots::Limit() {
  return g_limit;
}

void DownloadSlots::SetLimit(int32_t limit) {
  if (limit >= 1)
    g_limit = limit;
}

void DownloadSlots::LoadLimit() {
  SetLimit(GetRunningSettings().n_downloads);
}

void DownloadSlots::Reset() {
  g_active = 0;
  g_limit = kDefaultLimit;
}

}  // namespace tav
