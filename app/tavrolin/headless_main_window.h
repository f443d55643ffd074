// The main window where no window system is available: a top-level window
// titled "Tavrolin" that other instances, the installer and the uninstaller
// can find and message, and that keeps the application running until it is
// told to close (the uninstall message, Ctrl-C, or a termination signal).
#pragma once

namespace tav {

void RunHeadlessMainWindow();

}  // namespace tav
