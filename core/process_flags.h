// Process-wide flags that long loops and workers read. The stopping and
// terminated flags are set once and never cleared in the life of the process.
#pragma once

namespace tav {

// Set by CoreStop; the generate job, the log engine and every long loop stop
// doing work once it is set.
bool IsStopping();
void SetStopping();

// The application's message loop has ended (the framework's "terminated").
bool IsApplicationTerminated();
void SetApplicationTerminated();

// Set when Windows ends the session during an installation: every wait of
// the installation and the start of new uploads stop at once. The install
// pipeline clears it when an installation begins.
bool ForceStopWaiting();
void SetForceStopWaiting(bool value);

// How the program was started, for the few places that behave differently.
enum class StartMode { kWindowed, kUninstall, kCheckInstall, kInstall };
StartMode GetStartMode();
void SetStartMode(StartMode mode);

}  // namespace tav
