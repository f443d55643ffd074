// The process-wide download slots: how many package downloads may transfer
// at the same time. A download thread takes a slot before its first attempt
// and keeps it across its retries until it ends. The count and the limit are
// read and changed on the main thread only, so they need no lock.
#pragma once

#include <cstdint>

namespace tav {

class DownloadSlots {
 public:
  // The limit until the result frame loads the setting nDownloads.
  static constexpr int32_t kDefaultLimit = 3;

  // Takes a slot when fewer than the limit are in use.
  static bool TryTake();
  // Gives a slot back; the count never goes below 0.
  static void Release();

  static int32_t ActiveCount();
  static int32_t Limit();
  // Values below 1 would never let a download start; they keep the limit.
  static void SetLimit(int32_t limit);
  // The limit from nDownloads as the start-up settings step read it.
  static void LoadLimit();

  // No slot in use and the default limit (tests that run several sessions).
  static void Reset();
};

}  // namespace tav
