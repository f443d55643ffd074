// The "/uninstall" mode: removes what the program left on the PC (the Run
// value, the log-on task, the settings key, the work folder, and the backup
// folder after asking when it holds backups), after telling the tray program
// and a running instance to close.
#pragma once

namespace tav {

void RunUninstallMode();

// The clean-up itself (the mode without its mutex).
void UninstallCleanup();

}  // namespace tav
