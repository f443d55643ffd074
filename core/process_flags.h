// Process-wide flags that long loops and workers read. Each is set once and
// never cleared in the life of the process.
#pragma once

namespace tav {

// Set by CoreStop; the generate job, the log engine and every long loop stop
// doing work once it is set.
bool IsStopping();
void SetStopping();

// The application's message loop has ended (the framework's "terminated").
bool IsApplicationTerminated();
void SetApplicationTerminated();

// How the program was started, for the few places that behave differently.
enum class StartMode { kWindowed, kUninstall, kCheckInstall, kInstall };
StartMode GetStartMode();
void SetStartMode(StartMode mode);

}  // namespace tav
