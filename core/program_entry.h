// The program's entry: the mode chosen by the first argument ("/uninstall",
// "/CHECKINSTALL", "/INSTALL", compared exactly; anything else is the
// windowed mode), run, and exit code 0 in every case.
#pragma once

#include <string>
#include <vector>

#include "core/windowed_mode.h"

namespace tav {

int ProgramMain(const std::vector<std::string>& arguments, const MainWindowRunner& run_main_window);

// The short modes, also used by tests.
void RunCheckInstallMode();
void RunInstallMode();

}  // namespace tav
