// The state of a driver package as its ".status" file records it. The texts
// behind the values are written by the scan and the install pipeline.
#pragma once

#include <cstdint>

namespace tav {

// One byte; 4 is not used.
enum TPackageState : uint8_t {
  psNone = 0,  // no recorded state
  psDownloaded = 1,
  psPending = 2,
  psInstalled = 3,
  psCheckAfterRestart = 5,  // the installation is verified after the next start
};

}  // namespace tav
