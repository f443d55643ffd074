// The service's stop flag: set once when a stop signal arrives, so that slow
// answers (injected delays) end early and the server can shut down at once.
#pragma once

namespace tav::service {

bool IsServiceStopping();
void SetServiceStopping();
// Sleeps up to ms milliseconds, less when the service begins to stop.
void SleepUnlessStopping(int ms);

}  // namespace tav::service
