// The scan proper: walks the devices of the device list, asks the lookup and
// ranking for each device's best newer driver, and writes "Scan.ini" (one
// section per outdated driver) and "DevicesPlus.ini" (every device with its
// candidates and the reasons for the decision).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tav {

// Scan reports, always run on the main thread.
enum ScanCode : int {
  kScanStarting = 0,
  kScanDevice = 1,
  kScanEnded = 2,
  kScanCancelled = 3,
  kScanFailed = 4,
};
// (code, text, cancel, total, found, processed); setting *cancel at code 0
// keeps the scan from starting, at code 1 stops it after its files are saved.
using ScanCallback =
    std::function<void(int code, const std::string& text, bool* cancel, int total, int found, int processed)>;

struct ScanPaths {
  std::string database;  // empty: the default database
  std::string devices;   // empty: core work folder + "Devices.ini"
  std::string scan;      // empty: "Scan.ini"
  std::string plus;      // empty: "DevicesPlus.ini"
};

// The scan of an existing device list. The callback is called on the calling
// thread; the generate job passes one that hands each report to the main thread.
// min_seconds above 0 spreads the walk over at least that long.
void GenerateDriverResult(int min_seconds, const ScanPaths& paths, std::string_view os_text,
                          const ScanCallback& report);

}  // namespace tav
