// The core start and stop that every long-lived mode runs.
#pragma once

#include <string>
#include <string_view>

namespace tav {

// Parameters and folders (InitParams), the current directory, the log, the
// start line, the presence checks of "stub64.exe" and "7z.dll", the device
// API, the privileges, the after-reboot check and the pending statistics.
// Everything after the log start runs once per process.
void CoreInit(std::string_view product_name, std::string_view work_override,
              std::string_view drivers_override, bool send_statistics);

// The stop line, the stopping flag, the final log flush. Safe to call again.
void CoreStop();

// "-----PROGRAM STARTED 12-10-2015 16-59 7_True -----" and its STOPPED twin.
std::string ProgramLifeLine(std::string_view what);

}  // namespace tav
