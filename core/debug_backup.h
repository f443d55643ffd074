// Debug archives of the work files at fixed points ("scan", "install",
// "restart"), made only while the switch file "c:\debug.pc" exists.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// "Debug_" + the local date and time (letters and digits kept, every other
// character "-") + "_" + suffix + ".zip" in the core work folder. The
// archive's path, or empty when nothing was packed or the switch is off.
std::string CreateDebugBackup(std::string_view suffix);

}  // namespace tav
